#include "app/live_preview.h"

#include "app/progress_window.h"
#include "app/settings_window.h"
#include "print/preview_page.h"
#include "textfiles/convert.h"
#include "ui_settings_window.h"
#include "widgets/held_input.h"
#include "widgets/window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>

namespace quillet {
namespace {

// How long a redraw runs before the progress window comes up.
constexpr qint64 kQuietRedrawMilliseconds = 300;

double NumberOf(const QLineEdit* box)
{
    return ToNumber(box->text().toStdString());
}

} // namespace

TypedLayoutValues TypedPreviewValues(const Ui::SettingsWindow& ui)
{
    TypedLayoutValues typed;
    typed.landscape = ui.单选框_横向打印->isChecked();
    typed.paperWidth = NumberOf(ui.编辑框_宽度);
    typed.paperHeight = NumberOf(ui.编辑框_高度);
    typed.fitMode = ui.组合框_照片打印方式->currentIndex();
    typed.rows = NumberOf(ui.编辑框_行数);
    typed.columns = NumberOf(ui.编辑框_列数);
    typed.rowGap = NumberOf(ui.编辑框_行间距);
    typed.columnGap = NumberOf(ui.编辑框_列间距);
    typed.captionGap = NumberOf(ui.编辑框_文字距图片);
    typed.marginTop = NumberOf(ui.编辑框_上边距);
    typed.marginBottom = NumberOf(ui.编辑框_下边距);
    typed.marginLeft = NumberOf(ui.编辑框_左边距);
    typed.marginRight = NumberOf(ui.编辑框_右边距);
    typed.headerOffset = NumberOf(ui.编辑框_页眉距顶端);
    typed.footerOffset = NumberOf(ui.编辑框_页脚距底端);
    return typed;
}

PageJob PreviewJob(const Ui::SettingsWindow& ui, const PrintSettings& record,
                   const PreviewedJob& shown)
{
    PageJob job;
    job.settings = MiniatureSettings(record, TypedPreviewValues(ui));
    job.pictures = MiniaturePictures(shown.pictures);
    job.headerTemplate = shown.headerText;
    job.footerTemplate = shown.footerText;
    return job;
}

QImage DrawPreviewPage(const PageJob& job, MiniatureCache& pictures, int page, QWidget& owner,
                       QWidget* turner)
{
    // Shown without taking the activation: the user types on in the
    // settings window while the miniature is drawn.  A window that is only
    // opening (its first miniature) is not active yet; it is the one the
    // user is about to work in.
    QPointer<QWidget> active = QApplication::activeWindow();
    if (!active)
        active = &owner;
    ProgressWindow& window = LoadProgressWindow();
    window.ClearCancelRequest();
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    const HeldUserInput held({&window, turner});
    QElapsedTimer drawing;
    drawing.start();

    // The window is looked up afresh each time: the events that run between
    // cells must not leave a dangling reference behind.
    PageProgress progress;
    progress.started = [](int cellCount) {
        if (ProgressWindow* loaded = LoadedProgressWindow())
            loaded->SetProgressRange(0, cellCount);
    };
    // A quick redraw (a page turn, pictures already cached) shows no
    // window at all, so nothing flashes over the controls.
    progress.advanced = [&drawing](int cellsDone) {
        ProcessPendingMessages();
        if (ProgressWindow* loaded = LoadedProgressWindow()) {
            loaded->SetProgress(cellsDone);
            if (!loaded->isVisible() && drawing.elapsed() >= kQuietRedrawMilliseconds)
                loaded->show();
        }
    };
    progress.cancelRequested = [] {
        const ProgressWindow* loaded = LoadedProgressWindow();
        return loaded && loaded->CancelRequested();
    };

    // Drawn at the screen's density, so that a dense screen shows it sharp
    // rather than blown up.
    QImage picture = RenderPreviewPage(job, progress, &pictures, page, owner.devicePixelRatio());

    ProcessPendingMessages();
    if (ProgressWindow* loaded = LoadedProgressWindow()) {
        loaded->SetProgress(1);
        loaded->hide();
        loaded->ClearCancelRequest();
    }
    CloseProgressWindow();
    // Where the platform activated the progress window anyway, the window
    // the user worked in gets the activation back with its focus, as it
    // would from a window manager.
    if (active && QApplication::activeWindow() != active)
        active->activateWindow();
    ProcessPendingMessages();
    return picture;
}

} // namespace quillet
