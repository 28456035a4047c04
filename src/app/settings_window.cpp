#include "app/settings_window.h"

#include "app/live_preview.h"
#include "app/progress_window.h"
#include "app/settings_window_values.h"
#include "print/preview_page.h"
#include "printing/printer_queries.h"
#include "printing/standard_paper.h"
#include "ui_settings_window.h"
#include "widgets/designed_group_box_style.h"
#include "widgets/designed_look.h"
#include "widgets/dialogs.h"
#include "widgets/held_input.h"
#include "widgets/message_box_style.h"
#include "widgets/outer_size.h"
#include "widgets/select_by_text.h"

#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <string>
#include <utility>

namespace quillet {
namespace {

std::string TextOf(const QLineEdit* box)
{
    return box->text().toStdString();
}

QString QText(const std::string& text)
{
    return QString::fromStdString(text);
}

// The strip at the canvas's foot that holds the page number; a page is
// shrunk to fit between two of them, so the number never covers it.
constexpr int pageNumberHeight = 16;

QString PageNumberText(int page, int pageCount)
{
    return QStringLiteral("第%1页/共%2页").arg(page).arg(pageCount);
}

// Selects an item of a drop-down list by the record's index; an index
// outside the list leaves it without selection, as the system list does.
void SelectIndex(QComboBox* list, int index)
{
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

} // namespace

SettingsWindow::SettingsWindow(PrintSettings settings, PreviewedJob job, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::SettingsWindow>()), settings_(std::move(settings)),
      job_(std::move(job))
{
    ui_->setupUi(this);
    UseDesignedGroupBoxes(*this);
    UseDesignedLook(*this);

    // uic reads the form's line breaks as LF; the designed label texts break
    // their lines with CR LF, as every multi-line text of the program does.
    for (QLabel* label : {ui_->标签_宽高, ui_->标签_边距, ui_->标签_每页多少行})
        label->setText(label->text().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    ui_->按钮_字体->setText(
        ui_->按钮_字体->text().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    // Enter in a box must not press a button: the designed window has no
    // default button.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    resize(kOuterWidth, kOuterHeight);
    move(kLeft, kTop);

    QLabel* canvas = ui_->画板_预览;
    pageNumberLabel_ = new QLabel(canvas); // owned by the canvas
    pageNumberLabel_->setObjectName(QStringLiteral("标签_预览页码"));
    pageNumberLabel_->setAlignment(Qt::AlignCenter);
    pageNumberLabel_->setGeometry(0, canvas->height() - pageNumberHeight, canvas->width(),
                                  pageNumberHeight);
    QFont numberFont = pageNumberLabel_->font();
    numberFont.setPixelSize(12);
    pageNumberLabel_->setFont(numberFont);
    // A click gives the canvas the focus for Page Up and Page Down.
    canvas->setFocusPolicy(Qt::StrongFocus);
    canvas->installEventFilter(this);

    Create();
    ConnectHandlers();
}

SettingsWindow::~SettingsWindow()
{
    // The preview loads the progress window for its work; when no print job
    // is using it (its bar stands at 0) it goes out of sight with this window.
    if (ProgressWindow* progress = LoadedProgressWindow(); progress && progress->Progress() == 0)
        progress->hide();
}

Ui::SettingsWindow& SettingsWindow::ui()
{
    return *ui_;
}

void SettingsWindow::Create()
{
    const std::vector<std::string> printers = InstalledPrinters();
    // Without a default queue there is no printer to ask for paper forms;
    // the PDF file item then offers Qt's standard sizes.
    standardPaper_ = printer_.PrinterName().empty();
    const std::vector<std::string> papers =
        standardPaper_ ? StandardPaperFormNames() : PaperFormNames(printer_.PrinterName());
    settings_.defaultPrinterName = DefaultPrinterName();

    for (const std::string& name : printers)
        ui_->组合框_打印机列表->addItem(QText(name));
    ui_->组合框_打印机列表->addItem(QString::fromUtf8(kPdfFilePrinterItem));
    ui_->组合框_打印机列表->setCurrentIndex(-1);
    for (const std::string& name : papers)
        ui_->列表框_纸张->addItem(QText(name));

    Fill();
}

void SettingsWindow::Fill()
{
    PrintSettings& record = settings_;
    programChange_ = true;
    record.confirmed = 0;
    RepairFonts(record);

    if (!record.printerName.empty()) {
        ui_->选择框_自定义纸张->setChecked(true);
        ui_->编辑框_宽度->setText(QText(MillimetreText(record.paperWidth)));
        ui_->编辑框_高度->setText(QText(MillimetreText(record.paperHeight)));
        ui_->编辑框_行数->setText(QString::number(record.rows));
        ui_->编辑框_列数->setText(QString::number(record.columns));
        ui_->编辑框_行间距->setText(QString::number(record.rowGap));
        ui_->编辑框_列间距->setText(QString::number(record.columnGap));
        ui_->编辑框_文字距图片->setText(QString::number(record.captionGap));
        ui_->编辑框_上边距->setText(QText(MillimetreText(record.marginTop)));
        ui_->编辑框_下边距->setText(QText(MillimetreText(record.marginBottom)));
        ui_->编辑框_左边距->setText(QText(MillimetreText(record.marginLeft)));
        ui_->编辑框_右边距->setText(QText(MillimetreText(record.marginRight)));
        ui_->编辑框_页眉距顶端->setText(QText(MillimetreText(record.headerOffset)));
        ui_->编辑框_页脚距底端->setText(QText(MillimetreText(record.footerOffset)));
        SelectIndex(ui_->组合框_页眉对齐, record.headerAlign);
        SelectIndex(ui_->组合框_页脚对齐, record.footerAlign);
        SelectIndex(ui_->组合框_图片优化比率, record.imageOptimization);
        SelectIndex(ui_->组合框_照片打印方式, record.photoFitMode);
        if (record.orientation == 0)
            ui_->单选框_纵向打印->setChecked(true);
        else
            ui_->单选框_横向打印->setChecked(true);
    }

    // An empty name would begin every item; it matches nothing here, so that
    // the default printer is preselected on the first opening.
    int printer = -1;
    if (!record.printerName.empty())
        printer = SelectByText(*ui_->组合框_打印机列表, record.printerName);
    if (printer < 0 && !record.defaultPrinterName.empty())
        printer = SelectByText(*ui_->组合框_打印机列表, record.defaultPrinterName);
    // Without a default queue (common here) the first one is chosen, and
    // without any queue the PDF file: OK always stores a printer, so the
    // next job neither fails nor opens this window again from scratch.
    if (printer < 0 && ui_->组合框_打印机列表->count() > 0)
        ui_->组合框_打印机列表->setCurrentIndex(0);

    if (SelectByText(*ui_->列表框_纸张, "A4") < 0 && ui_->列表框_纸张->count() > 0)
        ui_->列表框_纸张->setCurrentRow(0);

    ui_->选择框_打印到图片文件->setChecked(record.printToImage != 0);
    programChange_ = false;
}

void SettingsWindow::ConnectHandlers()
{
    Ui::SettingsWindow& ui = *ui_;
    connect(ui.列表框_纸张, &QListWidget::currentRowChanged, this, [this] {
        if (!programChange_)
            PaperChosen();
    });
    // A click on the paper already selected changes no selection, yet the
    // user chose it again: its size replaces what was typed since.
    ui.列表框_纸张->viewport()->installEventFilter(this);
    connect(ui.列表框_纸张, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (ui_->列表框_纸张->row(item) == paperRowAtPress_)
            PaperChosen();
    });
    for (QLineEdit* size : {ui.编辑框_宽度, ui.编辑框_高度})
        connect(size, &QLineEdit::textChanged, this,
                [this] { ui_->选择框_自定义纸张->setChecked(true); });

    for (QLineEdit* box :
         {ui.编辑框_宽度, ui.编辑框_高度, ui.编辑框_上边距, ui.编辑框_下边距, ui.编辑框_左边距,
          ui.编辑框_右边距, ui.编辑框_页眉距顶端, ui.编辑框_页脚距底端, ui.编辑框_行数,
          ui.编辑框_列数, ui.编辑框_行间距, ui.编辑框_列间距, ui.编辑框_文字距图片})
        box->installEventFilter(this);

    connect(ui.滑块条_行, &QSlider::valueChanged, this,
            [this](int position) { SliderMoved(ui_->编辑框_行数, position); });
    connect(ui.滑块条_列, &QSlider::valueChanged, this,
            [this](int position) { SliderMoved(ui_->编辑框_列数, position); });

    connect(ui.单选框_纵向打印, &QRadioButton::clicked, this, [this] { RedrawPreview(); });
    connect(ui.单选框_横向打印, &QRadioButton::clicked, this, [this] { RedrawPreview(); });
    connect(ui.组合框_照片打印方式, &QComboBox::currentIndexChanged, this, [this] {
        if (!programChange_)
            RedrawPreview();
    });
    // The header line is drawn from the record on the next redraw; choosing
    // its alignment redraws nothing by itself.
    connect(ui.组合框_页眉对齐, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!programChange_)
            settings_.headerAlign = index;
    });
    connect(ui.组合框_页脚对齐, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (programChange_)
            return;
        settings_.footerAlign = index;
        RedrawPreview();
    });

    connect(ui.按钮_字体, &QPushButton::clicked, this,
            [this] { ChooseFont(&PrintSettings::captionFont); });
    connect(ui.按钮_页眉字体, &QPushButton::clicked, this,
            [this] { ChooseFont(&PrintSettings::headerFont); });
    connect(ui.按钮_页脚字体, &QPushButton::clicked, this,
            [this] { ChooseFont(&PrintSettings::footerFont); });
    connect(ui.按钮_确定, &QPushButton::clicked, this, [this] { Confirm(); });
    connect(ui.按钮_取消, &QPushButton::clicked, this, [this] { reject(); });
}

void SettingsWindow::PaperChosen()
{
    QListWidgetItem* item = ui_->列表框_纸张->currentItem();
    const std::string name = item ? item->text().toStdString() : std::string();
    PaperForm form;
    const bool found = standardPaper_ ? StandardPaperFormSize(name, form)
                                      : PaperFormSize(printer_.PrinterName(), name, form);
    // A form that cannot be queried would set the paper and margins to 0
    // and lay the next job out on no paper; the record and boxes stay.
    if (!found)
        return;

    PrintSettings& record = settings_;
    record.paperWidth = form.width;
    record.paperHeight = form.height;
    record.marginTop = form.top;
    record.marginBottom = form.bottom;
    record.marginLeft = form.left;
    record.marginRight = form.right;
    ui_->编辑框_高度->setText(QText(MillimetreText(record.paperHeight)));
    ui_->编辑框_宽度->setText(QText(MillimetreText(record.paperWidth)));
    RedrawPreview();
    // A chosen form is no custom paper, whatever the size boxes' text
    // changes ticked on the way.
    ui_->选择框_自定义纸张->setChecked(false);
}

void SettingsWindow::ChooseFont(FontSpec PrintSettings::*font)
{
    FontSpec& target = settings_.*font;
    FontSpec asked = fontDialogStyle_;
    asked.name = target.name;
    asked.size = target.size;
    if (!FontDialog(asked))
        return;
    fontDialogStyle_.bold = asked.bold;
    fontDialogStyle_.italic = asked.italic;
    fontDialogStyle_.strikeout = asked.strikeout;
    fontDialogStyle_.underline = asked.underline;

    target.bold = asked.bold;
    target.italic = asked.italic;
    target.strikeout = asked.strikeout;
    target.underline = asked.underline;
    target.size = asked.size;
    target.name = asked.name;
    RedrawPreview();
}

void SettingsWindow::Confirm()
{
    Ui::SettingsWindow& ui = *ui_;
    // Storing an empty or non-positive paper would lay the next job out on no
    // paper at all; the window stays open, nothing stored, so that the user
    // sets the paper as the message asks.
    if (!PaperSizeUsable(TextOf(ui.编辑框_宽度), TextOf(ui.编辑框_高度))) {
        MessageBox("请重新设置一下纸张！", kMessageBoxOk, "信息：");
        return;
    }

    PrintSettings& record = settings_;
    record.printerName = ui.组合框_打印机列表->currentIndex() >= 0
                             ? ui.组合框_打印机列表->currentText().toStdString()
                             : std::string();
    record.paperHeight = TenthMillimetresFromText(TextOf(ui.编辑框_高度));
    record.paperWidth = TenthMillimetresFromText(TextOf(ui.编辑框_宽度));
    record.marginTop = TenthMillimetresFromText(TextOf(ui.编辑框_上边距));
    record.marginBottom = TenthMillimetresFromText(TextOf(ui.编辑框_下边距));
    record.marginLeft = TenthMillimetresFromText(TextOf(ui.编辑框_左边距));
    record.marginRight = TenthMillimetresFromText(TextOf(ui.编辑框_右边距));
    record.headerOffset = TenthMillimetresFromText(TextOf(ui.编辑框_页眉距顶端));
    record.footerOffset = TenthMillimetresFromText(TextOf(ui.编辑框_页脚距底端));
    record.headerAlign = ui.组合框_页眉对齐->currentIndex();
    record.footerAlign = ui.组合框_页脚对齐->currentIndex();
    record.orientation = ui.单选框_纵向打印->isChecked() ? 0 : 1;
    record.photoFitMode = ui.组合框_照片打印方式->currentIndex();
    record.copies = CopiesFromText(TextOf(ui.编辑框_打印份数));
    record.rows = WholeNumberFromText(TextOf(ui.编辑框_行数));
    record.columns = WholeNumberFromText(TextOf(ui.编辑框_列数));
    record.rowGap = WholeNumberFromText(TextOf(ui.编辑框_行间距));
    record.columnGap = WholeNumberFromText(TextOf(ui.编辑框_列间距));
    record.captionGap = WholeNumberFromText(TextOf(ui.编辑框_文字距图片));
    record.confirmed = 1;
    record.printToImage = ui.选择框_打印到图片文件->isChecked() ? 1 : 0;
    record.imageOptimization = ui.组合框_图片优化比率->currentIndex();
    record.imageFormat = ui.组合框_图片格式->currentIndex() + 1;

    // A redraw under way still needs the window; the values stand stored.
    if (!previewBusy_)
        QDialog::accept();
}

void SettingsWindow::done(int result)
{
    QDialog::done(result);
    miniatures_.Clear();
}

void SettingsWindow::reject()
{
    settings_.confirmed = 0;
    if (!previewBusy_)
        QDialog::reject();
}

void SettingsWindow::FocusLost(QLineEdit* box)
{
    Ui::SettingsWindow& ui = *ui_;
    if (box == ui.编辑框_左边距) {
        MessageBox("部分打印机偏离左端约9毫米左右，因此要减小一下左边距",
                   kMessageBoxOk | kMessageBoxIconExclamation, "修正左边距");
    } else if (box == ui.编辑框_上边距) {
        MessageBox("部分打印机偏离上端约3毫米左右，因此要减小一下上边距",
                   kMessageBoxOk | kMessageBoxIconExclamation, "修正上边距");
    } else if (box == ui.编辑框_行数 || box == ui.编辑框_列数) {
        QSlider* slider = box == ui.编辑框_行数 ? ui.滑块条_行 : ui.滑块条_列;
        programChange_ = true;
        slider->setValue(SliderPositionForCount(TextOf(box)));
        programChange_ = false;
    }
    RedrawPreview();
}

void SettingsWindow::SliderMoved(QLineEdit* countBox, int position)
{
    if (programChange_)
        return;
    countBox->setText(QString::number(CountForSliderPosition(position)));
    countBox->setFocus(Qt::OtherFocusReason);
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->画板_预览)
        return CanvasEvent(event) || QDialog::eventFilter(watched, event);
    if (watched == ui_->列表框_纸张->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            paperRowAtPress_ = ui_->列表框_纸张->currentRow();
        return QDialog::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusOut) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Only a move of the focus inside this window counts: a message box
        // or another window taking the focus (the margin messages among
        // them) would otherwise start a cascade of further messages.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            auto* box = static_cast<QLineEdit*>(watched);
            // After the focus change, and after the click that moved the
            // focus has completed: the handler may open a message box or
            // redraw, and either would take the release away from the
            // control that got the press, losing the click.
            AfterMouseRelease(*this, [this, box] { FocusLost(box); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool SettingsWindow::event(QEvent* event)
{
    // Esc has no binding in this window.
    if (event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        return true;
    const bool handled = QDialog::event(event);
    outerSize_.Update(*this, *event);
    return handled;
}

bool SettingsWindow::CanvasEvent(QEvent* event)
{
    if (event->type() == QEvent::Wheel) {
        // One page a notch (120), the wheel turned towards the user going on.
        wheelRemainder_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
        const int notches = wheelRemainder_ / 120;
        wheelRemainder_ -= notches * 120;
        if (notches != 0)
            TurnPreviewPage(-notches);
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            TurnPreviewPage(key == Qt::Key_PageDown ? 1 : -1);
            return true;
        }
    }
    return false;
}

void SettingsWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (drawnOnOpening_)
        return;
    drawnOnOpening_ = true;
    // Once the window is up: a redraw lets window events run, which must
    // not happen inside the showing itself.
    QTimer::singleShot(0, this, [this] {
        if (isVisible())
            RedrawPreview();
    });
}

void SettingsWindow::RedrawPreview()
{
    // Every change of the layout shows the first page again.
    DrawPreview(1);
}

void SettingsWindow::TurnPreviewPage(int step)
{
    if (!ui_->选择框_实时预览->isChecked())
        return;
    // Turns asked for while a page is being drawn add up: the redraw under
    // way goes on to the last page asked for when it is done.
    wantedPage_ = std::clamp(wantedPage_ + step, 1, shownPageCount_);
    if (!previewBusy_ && wantedPage_ != shownPage_)
        DrawPreview(wantedPage_);
}

void SettingsWindow::DrawPreview(int page)
{
    // A request while a redraw is under way is dropped, not queued: the
    // change shows with the next redraw.
    if (!ui_->选择框_实时预览->isChecked() || previewBusy_)
        return;
    SetPreviewBusy(true);
    wantedPage_ = page;
    ShowPreviewPicture(QImage());
    settings_.headerAlign = ui_->组合框_页眉对齐->currentIndex();
    settings_.footerAlign = ui_->组合框_页脚对齐->currentIndex();

    const PageJob job = PreviewJob(*ui_, settings_, job_);
    shownPageCount_ = PreviewPageCount(job);
    do {
        shownPage_ = std::clamp(wantedPage_, 1, shownPageCount_);
        wantedPage_ = shownPage_;
        ShowPreviewPicture(DrawPreviewPage(job, miniatures_, shownPage_, *this, ui_->画板_预览));
    } while (wantedPage_ != shownPage_);

    if (ProgressWindow* progress = LoadedProgressWindow())
        progress->SetProgress(0);
    SetPreviewBusy(false);
}

void SettingsWindow::SetPreviewBusy(bool busy)
{
    previewBusy_ = busy;
    emit PreviewBusyChanged(busy);
}

void SettingsWindow::ShowPreviewPicture(QImage picture)
{
    previewPicture_ = std::move(picture);
    QLabel* canvas = ui_->画板_预览;
    if (previewPicture_.isNull()) {
        canvas->clear();
        pageNumberLabel_->clear();
        return;
    }
    // Shown centred at its own size; only a picture larger than the canvas
    // (less the page number's strips) is shrunk, in proportion, until it fits.
    // Sizes are compared in the canvas's units, whatever the pixel ratio.
    const QSize room(canvas->width(), canvas->height() - 2 * pageNumberHeight);
    QImage shown = previewPicture_;
    const QSizeF size = shown.deviceIndependentSize();
    if (size.width() > room.width() || size.height() > room.height()) {
        const qreal ratio = shown.devicePixelRatio();
        shown = shown.scaled(room * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        shown.setDevicePixelRatio(ratio);
    }
    canvas->setPixmap(QPixmap::fromImage(shown));
    pageNumberLabel_->setText(PageNumberText(shownPage_, shownPageCount_));
}

} // namespace quillet
