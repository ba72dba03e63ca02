#pragma once
// The File menu's settings entries for the page on show: save its settings
// to a file, compare the device with a file, load a file into the device.
// Each ends with a summary of what was written and what failed.
#include <QObject>
#include <QString>

class QMenu;

namespace veltrano::pages {
class DevicePage;
}

namespace veltrano::qt {

class MainWindow;

struct SettingsReport {
    bool ok = false;       // every row read (save, compare) or written (load)
    bool refused = false;  // nothing was read or written (a bad file, no page)
    QString summary;       // what the operator is told
};

// The work behind the menu entries, without dialogs (tests call these).
SettingsReport SaveSettingsOf(pages::DevicePage* page, const QString& path);
SettingsReport CompareSettingsOf(pages::DevicePage* page, const QString& path);
SettingsReport LoadSettingsInto(pages::DevicePage* page, const QString& path, bool dryRun = false);

class SettingsActions : public QObject {
public:
    SettingsActions(MainWindow& window, QMenu& file);

private:
    enum class Kind { Save, Compare, Load };
    void Run(Kind kind);

    MainWindow& window_;
};

}  // namespace veltrano::qt
