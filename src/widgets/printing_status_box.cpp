#include "widgets/printing_status_box.h"

#include "textfiles/convert.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillet {
PrintingStatusBox::PrintingStatusBox(std::string_view documentName, std::string_view printerName)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("正在打印"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("文档：") + ToQString(documentName), this));
    layout->addWidget(new QLabel(QStringLiteral("打印机：") + ToQString(printerName), this));
    page_ = new QLabel(this);
    layout->addWidget(page_);
    SetPageNumber(1);
}

void PrintingStatusBox::SetPageNumber(int page)
{
    page_->setText(QStringLiteral("正在打印第 %1 页").arg(page));
}

} // namespace quillet
