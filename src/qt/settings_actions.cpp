#include "qt/settings_actions.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

#include "app/settings_file.h"
#include "modbus/result_code.h"
#include "pages/device_page.h"
#include "qt/main_window.h"

namespace veltrano::qt {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The page can be worked on now, or why not.
QString Unavailable(pages::DevicePage* page) {
    if (!page) return "No device page is showing.";
    if (page->RealTimeChecked()) return "Uncheck \"Real Time\" first: its buttons are locked while it runs.";
    if (app::SettingRows(*page).empty())
        return Q(page->className()) + " has no settings: no row with both an Inquire and a Set up.";
    return "";
}

bool ReadFile(pages::DevicePage& page, const QString& path, app::Settings* file, QString* why) {
    std::string error;
    if (!app::ReadSettingsFile(path.toStdString(), file, &error) || !app::SettingsFitPage(*file, page, &error)) {
        *why = Q(error) + "\nNothing was written to the device.";
        return false;
    }
    return true;
}

SettingsReport Refused(const QString& why) {
    SettingsReport r;
    r.refused = true;
    r.summary = why;
    return r;
}

}  // namespace

SettingsReport SaveSettingsOf(pages::DevicePage* page, const QString& path, const Ask& replace) {
    if (const QString why = Unavailable(page); !why.isEmpty()) return Refused(why);
    const app::Settings s = app::ReadSettings(*page);
    QStringList failed;
    for (const app::SettingRow& r : s.rows)
        if (r.failed) failed << Q(r.label) + " (" + DescribeResult(r.result) + ")";
    SettingsReport report;
    // A file of nothing but failed marks would replace a good one for nothing.
    if (failed.size() == static_cast<int>(s.rows.size())) {
        report.summary = "No row could be read; " + path + " was not written.\n" + failed.join('\n');
        return report;
    }
    // Failed marks would take the place of the values the old file holds.
    bool replacing = false;
    if (app::SaveKeepsOldFile(path.toStdString(), s) && replace)
        replacing = replace(QString("%1 of %2 rows could not be read:\n%3\n\nReplace %4, losing the values it holds "
                                    "for them? No saves this result beside it, as %5.")
                                .arg(failed.size())
                                .arg(s.rows.size())
                                .arg(failed.join('\n'), path, Q(app::BesidePath(path.toStdString()))));
    std::string error, target;
    if (!app::SaveSettingsFile(path.toStdString(), s, replacing, &target, &error)) {
        report.summary = "Cannot write " + Q(error);
        return report;
    }
    report.ok = failed.isEmpty();
    report.summary = QString("%1 rows of %2 saved to %3.").arg(s.rows.size() - failed.size()).arg(Q(s.page), Q(target));
    if (Q(target) != path) report.summary += "\n" + path + " was kept as it was.";
    if (!failed.isEmpty()) report.summary += "\nNot read, saved as failed:\n" + failed.join('\n');
    return report;
}

SettingsReport CompareSettingsOf(pages::DevicePage* page, const QString& path) {
    if (const QString why = Unavailable(page); !why.isEmpty()) return Refused(why);
    app::Settings file;
    QString why;
    if (!ReadFile(*page, path, &file, &why)) return Refused(why);
    const app::Settings device = app::ReadSettings(*page);
    const auto differences = app::CompareSettings(file, device);
    SettingsReport report;
    report.ok = true;
    QStringList lines;
    for (const app::SettingDifference& d : differences) {
        if (d.deviceFailed) report.ok = false;
        lines << QString("%1  file %2, device %3 %4")
                     .arg(Q(d.label), Q(d.fileText), d.deviceFailed ? "could not be read" : Q(d.deviceText), Q(d.unit))
                     .trimmed();
    }
    report.summary = differences.empty()
                         ? "The device holds what " + path + " holds."
                         : QString("%1 rows differ from %2:\n").arg(differences.size()).arg(path) + lines.join('\n');
    const auto noValue = app::RowsWithoutValue(file);
    if (!noValue.empty()) {
        QStringList names;
        for (const std::string& n : noValue) names << Q(n);
        report.summary += "\nNot compared (no value in the file): " + names.join(", ");
    }
    const auto reference = app::ReferenceRows(device);
    if (!reference.empty()) {
        QStringList names;
        for (const std::string& n : reference) names << Q(n);
        report.summary += "\nNot compared (outputs and actions, kept for reference only): " + names.join(", ");
    }
    return report;
}

SettingsReport LoadSettingsInto(pages::DevicePage* page, const QString& path, bool dryRun) {
    using Status = app::LoadResult::Status;
    if (const QString why = Unavailable(page); !why.isEmpty()) return Refused(why);
    app::Settings file;
    QString why;
    if (!ReadFile(*page, path, &file, &why)) return Refused(why);
    const auto results = app::LoadSettings(*page, file, dryRun);
    QStringList written, failed, unchanged, skipped, reference;
    for (const app::LoadResult& r : results) {
        const QString row = Q(r.label) + " = " + Q(r.text);
        switch (r.status) {
            case Status::Unchanged: unchanged << Q(r.label); break;
            case Status::Written:
            case Status::WouldWrite: written << row; break;
            case Status::Failed: failed << row + ": " + Q(r.message); break;
            case Status::NoValue: skipped << Q(r.label); break;
            case Status::Reference: reference << Q(r.label); break;
        }
    }
    SettingsReport report;
    report.ok = failed.isEmpty();
    report.changes = static_cast<int>(written.size());
    QString& s = report.summary;
    s = QString("%1 %2 rows, %3 failed, %4 already as in the file.")
            .arg(dryRun ? "Would write" : "Wrote")
            .arg(written.size())
            .arg(failed.size())
            .arg(unchanged.size());
    if (!written.isEmpty()) s += QString("\n\n%1:\n").arg(dryRun ? "Would write" : "Written") + written.join('\n');
    if (!failed.isEmpty()) s += "\n\nNot written:\n" + failed.join('\n');
    if (!skipped.isEmpty()) s += "\n\nSkipped (no value in the file): " + skipped.join(", ");
    if (!reference.isEmpty())
        s += "\n\nSkipped (outputs and actions, kept for reference only): " + reference.join(", ");
    return report;
}

SettingsReport LoadSettingsConfirmed(pages::DevicePage* page, const QString& path, const Ask& confirm) {
    const SettingsReport preview = LoadSettingsInto(page, path, true);
    if (preview.refused || preview.changes == 0) return preview;
    if (!confirm(preview.summary + "\n\nWrite these rows to the device?")) {
        SettingsReport r;
        r.refused = true;
        r.summary = "Nothing was written to the device.";
        return r;
    }
    return LoadSettingsInto(page, path, false);
}

SettingsActions::SettingsActions(MainWindow& window, QMenu& file) : QObject(&window), window_(window) {
    file.addAction("&Save settings…", this, [this] { Run(Kind::Save); })->setObjectName("SaveSettings");
    file.addAction("&Compare with file…", this, [this] { Run(Kind::Compare); })->setObjectName("CompareSettings");
    file.addAction("&Load settings…", this, [this] { Run(Kind::Load); })->setObjectName("LoadSettings");
}

void SettingsActions::Run(Kind kind) {
    auto* page = dynamic_cast<pages::DevicePage*>(window_.CurrentPage());
    const char* title = kind == Kind::Save      ? "Save settings"
                        : kind == Kind::Compare ? "Compare with file"
                                                : "Load settings";
    if (const QString why = Unavailable(page); !why.isEmpty()) {
        QMessageBox::information(&window_, title, why);
        return;
    }
    const QString filter = "Settings (*.json);;All files (*)";
    const QString suggested = Q(page->className()) + ".json";
    const QString path = kind == Kind::Save ? QFileDialog::getSaveFileName(&window_, title, suggested, filter)
                                            : QFileDialog::getOpenFileName(&window_, title, QString(), filter);
    if (path.isEmpty()) return;
    // The questions come while the work is under way: no busy cursor over them.
    const Ask ask = [this, title](const QString& question) {
        QApplication::restoreOverrideCursor();
        const bool yes = QMessageBox::question(&window_, title, question, QMessageBox::Yes | QMessageBox::No,
                                               QMessageBox::No) == QMessageBox::Yes;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        return yes;
    };
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SettingsReport r = kind == Kind::Save      ? SaveSettingsOf(page, path, ask)
                             : kind == Kind::Compare ? CompareSettingsOf(page, path)
                                                     : LoadSettingsConfirmed(page, path, ask);
    QApplication::restoreOverrideCursor();
    QMessageBox box(r.ok ? QMessageBox::Information : QMessageBox::Warning, title, r.summary, QMessageBox::Ok,
                    &window_);
    box.exec();
}

}  // namespace veltrano::qt
