#pragma once
// The File menu's settings entries for the page on show: save its settings
// to a file, compare the device with a file, load a file into the device.
// Each ends with a summary of what was written and what failed.
#include <QObject>
#include <QString>
#include <functional>

class QMenu;

namespace veltrano::pages {
class DevicePage;
}

namespace veltrano::qt {

class MainWindow;

struct SettingsReport {
    bool ok = false;       // every row read (save, compare) or written (load)
    bool refused = false;  // nothing was read or written (a bad file, no page)
    int changes = 0;       // load: rows written, or that a dry run would write
    QString summary;       // what the operator is told
};

// A question to the operator: true for yes. The window asks in a message box.
using Ask = std::function<bool(const QString& question)>;

// The work behind the menu entries, without dialogs (tests call these).
// A save in which some row failed over an existing file asks `replace`
// first; no, or no one to ask, saves beside the file instead.
SettingsReport SaveSettingsOf(pages::DevicePage* page, const QString& path, const Ask& replace = {});
SettingsReport CompareSettingsOf(pages::DevicePage* page, const QString& path);
SettingsReport LoadSettingsInto(pages::DevicePage* page, const QString& path, bool dryRun = false);
// What "Load settings…" does: the rows that would change first, and the
// writes only once `confirm` says yes to them.
SettingsReport LoadSettingsConfirmed(pages::DevicePage* page, const QString& path, const Ask& confirm);

class SettingsActions : public QObject {
public:
    SettingsActions(MainWindow& window, QMenu& file);

private:
    enum class Kind { Save, Compare, Load };
    void Run(Kind kind);

    MainWindow& window_;
};

}  // namespace veltrano::qt
