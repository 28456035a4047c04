#pragma once
// The real main window with its print buttons, every modal dialog answered
// through the dialog seam, and the settings window answered through its
// seam the way OK or Cancel leave the record.

#include "app/main_window.h"
#include "settings/print_settings.h"
#include "support/scripted_dialogs.h"
#include "support/status_bar_text.h"

#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillet::testing {

// The settings OK stores in these tests: A4 portrait, 2 x 2 pictures, 10 pt
// header and footer lines clear of any printer's unprintable strip.
void StoreAlbumSettings(PrintSettings& s, const std::string& printerName);

// A one-colour JPEG of 120 x 90 pixels.
std::string WriteTestJpeg(const QString& path, Qt::GlobalColor colour);

class PrintRunFixture {
public:
    // withCollection: the window as start-up loads it, with the folder tree
    // and the search wired; otherwise the bare window.
    explicit PrintRunFixture(bool withCollection = false);
    ~PrintRunFixture();

    // What the settings window was opened with.
    struct SettingsOpening {
        std::vector<std::string> paths;
        std::vector<std::string> captions;
        std::string header;
        std::string footer;
    };

    enum class SettingsAnswer { Ok, Cancel };

    MainWindow& Window() { return *window_; }
    void FillList(const std::vector<std::string>& titles,
                  const std::vector<std::vector<std::string>>& rows);
    // Rows of the folder search's layout: number, path, category, caption.
    void FillPictures(const std::vector<std::pair<std::string, std::string>>& pathAndCategory);
    void SetTemplates(const std::string& header, const std::string& footer);
    void SetByCategory(bool byCategory);
    void ClickPrint();
    void ClickPreview();
    // Searches the folder (and its sub-folders) with the folder page's button.
    void Search(const std::string& folder);
    // Keeps the three proposed columns and confirms them.
    void AnswerColumnsAsProposed();

    std::vector<DialogRequest> Asked(DialogKind kind) const;
    std::string Status() const { return testing::StatusBarText(*window_).toStdString(); }
    std::string Path(const std::string& name) const
    {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }

    ScriptedDialogProvider dialogs;
    std::deque<SettingsAnswer> settingsAnswers; // none left: OK
    std::function<void(PrintSettings&)> storeOnOk;
    std::vector<SettingsOpening> openings;

private:
    QTemporaryDir dir_;
    std::function<void()> realSettingsWindow_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<ScopedDialogProvider> scope_;
};

} // namespace quillet::testing
