// The list to and from other programs: the calendar and CSV exports and the
// CSV import of the Data menu.
#include <QStringList>

#include <chrono>
#include <exception>
#include <new>
#include <string>

#include "core/atomic_file.h"
#include "core/data_file.h"
#include "core/errors.h"
#include "core/event_list.h"
#include "core/short_date_reader.h"
#include "desktop/regional_date_format.h"
#include "exchange/csv_exchange.h"
#include "exchange/icalendar_export.h"
#include "ui/common/clock.h"
#include "ui/common/qt_path.h"
#include "ui/common/text.h"
#include "ui/common/wait_cursor.h"
#include "ui/main/calendar_sync.h"
#include "ui/main/import_guard.h"
#include "ui/main/import_summary.h"
#include "ui/main/main_form.h"
#include "ui/main/main_form_messages.h"

namespace tessaly {

namespace {

QString Entries(int count) {
    return count == 1 ? QStringLiteral("1 entry") : QString::number(count) + " entries";
}

QString Nothing_To_Export_Error() {
    return QStringLiteral("Error: There are no entries in the list to export.");
}

QString Exported_Notice(int count, const std::filesystem::path& file) {
    return QStringLiteral("%1 written to\n\n%2").arg(Entries(count), To_Qt_Path(file));
}

QString Export_Failed_Error(const std::filesystem::path& file, const std::exception& error) {
    return QStringLiteral("Error: The list could not be exported to \"%1\".\n\n%2")
        .arg(To_Qt_Path(file), Failure_Sentence(error));
}

QString Import_Failed_Error(const QString& reason) {
    return QStringLiteral("Error: Nothing was imported.\n\n") + reason;
}

QString CSV_Imported_Notice(const CSV_Import_Result& result) {
    QString rows;
    if (result.Skipped > 0) {
        QStringList numbers;
        for (const int row : result.First_Skipped_Rows) {
            numbers << QString::number(row);
        }
        const int unlisted = result.Skipped - static_cast<int>(result.First_Skipped_Rows.size());
        rows = QStringLiteral(
                   "with no name, an unreadable date or a number of fields unlike the "
                   "first row's: %1 %2%3")
                   .arg(result.Skipped == 1 ? QStringLiteral("row") : QStringLiteral("rows"),
                        numbers.join(QStringLiteral(", ")),
                        unlisted > 0 ? QStringLiteral(" and %1 more").arg(unlisted) : QString());
    }
    const QString summary = Import_Summary(result.Imported, {{result.Skipped, "row", "rows", rows}},
                                           result.Without_Year);
    return result.Imported == 0 ? QStringLiteral("Error: ") + summary : summary;
}

std::chrono::sys_seconds Utc_Seconds(const QDateTime& time) {
    return std::chrono::sys_seconds{std::chrono::seconds{time.toSecsSinceEpoch()}};
}

}  // namespace

void TMainForm1::Export_List(Exchange_Kind kind, const QString& caption,
                             const QString& default_name, const File_Filter& filter,
                             const QString& suffix, const std::function<std::string()>& bytes) {
    if (Event_Array.Event_Count() == 0) {
        Show_Error(services_.Messages, this, Nothing_To_Export_Error());
        return;
    }
    Save_File_Request request;
    request.Caption = caption;
    request.Start_Folder = exchange_folders_.Start_Folder(kind);
    request.Default_Name = default_name;
    request.Filters = {filter, {QStringLiteral("All files"), QStringLiteral("*")}};
    request.Default_Suffix = suffix;
    const auto chosen = services_.Dialogs.Get_Save_File_Name(this, request);
    if (!chosen) {
        return;
    }
    exchange_folders_.Remember(kind, *chosen);
    try {
        Write_File_Atomically(*chosen, bytes());
    } catch (const std::exception& error) {
        Show_Error(services_.Messages, this, Export_Failed_Error(*chosen, error));
        return;
    }
    Show_Information(services_.Messages, this, Exported_Notice(Event_Array.Event_Count(), *chosen));
}

void TMainForm1::Export_To_ICalendar_Menu_OptionClick() {
    Export_List(Exchange_Kind::ICalendar, QStringLiteral("Export to iCalendar"),
                QString::fromUtf8(ICalendar_File_Name),
                {QStringLiteral("iCalendar files"), QStringLiteral("*.ics")}, QStringLiteral("ics"),
                [this] {
                    // The same alarms as the synced calendar's events.
                    return Export_ICalendar(Event_Array.Entries(),
                                            Utc_Seconds(services_.Time.Now()),
                                            Calendar_Syncer->Account().Alarm);
                });
}

void TMainForm1::Export_To_CSV_Menu_OptionClick() {
    // The file starts with a byte-order mark: spreadsheet programs read a CSV
    // file without one in the system's code page, which garbles every name
    // outside ASCII.
    Export_List(Exchange_Kind::CSV, QStringLiteral("Export to CSV"),
                QString::fromUtf8(CSV_File_Name),
                {QStringLiteral("CSV files"), QStringLiteral("*.csv")}, QStringLiteral("csv"),
                [this] { return Export_CSV(Event_Array, services_.Time.Today(), true); });
}

void TMainForm1::Import_From_CSV_Menu_OptionClick() {
    Open_File_Request request;
    request.Caption = QStringLiteral("Import from CSV");
    request.Start_Folder = exchange_folders_.Start_Folder(Exchange_Kind::CSV);
    request.Filters = {{QStringLiteral("CSV files"), QStringLiteral("*.csv")},
                       {QStringLiteral("All files"), QStringLiteral("*")}};
    request.Options = File_Dialog_Option::Ignore_Case;
    const auto chosen = services_.Dialogs.Get_Open_File_Name(this, request);
    if (!chosen) {
        return;
    }
    exchange_folders_.Remember(Exchange_Kind::CSV, *chosen);

    Import_Guard guard(Event_Array);
    CSV_Import_Result result;
    try {
        std::string bytes;
        try {
            const Wait_Cursor wait;
            bytes = Read_Whole_File(*chosen);
        } catch (const File_Error& error) {
            Show_Error(services_.Messages, this, Import_Failed_Error(Failure_Sentence(error)));
            return;
        }
        // Dates in the window's own short date are read too, as people type them.
        const std::string pattern = services_.Region.Short_Date_Pattern();
        const Wait_Cursor wait;
        result = Import_CSV(
            Event_Array, bytes,
            [&pattern](std::string_view text) { return Read_Short_Date(pattern, text); },
            [&pattern](std::string_view text) {
                return Read_Short_Date_Without_Year(pattern, text);
            });
        guard.Check_Saveable();
    } catch (const std::bad_alloc&) {
        Show_Error(services_.Messages, this, Out_Of_Memory_Import_Error());
        return;
    } catch (const Unsaveable_List_Error& error) {
        Show_Error(services_.Messages, this, Import_Failed_Error(Failure_Text(error)));
        return;
    }
    if (!result.Header_Error.empty()) {
        Show_Error(services_.Messages, this,
                   Import_Failed_Error(From_File_Text(result.Header_Error)));
        return;
    }
    if (result.Imported == 0 && !result.Had_Too_Many) {
        // Nothing changed: no save.
        Show_Error(services_.Messages, this, CSV_Imported_Notice(result));
        return;
    }
    guard.Keep();
    if (!Finish_Import(result.Had_Too_Many)) {
        return;
    }
    Show_Information(services_.Messages, this,
                     CSV_Imported_Notice(result) + Repairs_Notice(result.Repairs));
}

}  // namespace tessaly
