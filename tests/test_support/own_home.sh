#!/ bin / sh
#Runs a command with a home and XDG folders of its own, as the test programs
#get from their main, and removes them afterwards : nothing a test starts
#(window managers, keyrings, checkers) reads or writes the user's files.
#own_home.sh COMMAND[ARGUMENT]...
root=$(mktemp -d "${TMPDIR:-/tmp}/tessaly-home.XXXXXX") || exit 1
trap 'chmod -R u+rwx "$root" 2>/dev/null; rm -rf "$root"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
HOME="$root/home"
XDG_CONFIG_HOME="$HOME/.config"
XDG_DATA_HOME="$HOME/.local/share"
XDG_STATE_HOME="$HOME/.local/state"
XDG_CACHE_HOME="$HOME/.cache"
XDG_RUNTIME_DIR="$root/runtime"
export HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_STATE_HOME" "$XDG_CACHE_HOME" \
    "$XDG_RUNTIME_DIR" || exit 1
chmod 700 "$XDG_RUNTIME_DIR"
"$@"
