# Gives a fresh Wine prefix Windows' own fonts in their metric twins from
# fonts-liberation, as a Windows desktop has them: Wine would otherwise draw
# "Times New Roman" and its kin in wider fonts than Windows does. Sourced
# after wineboot.
for pair in "Times New Roman=Liberation Serif" "Arial=Liberation Sans" \
    "Courier New=Liberation Mono"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /d "${pair#*=}" /f \
        > /dev/null 2>&1
done
