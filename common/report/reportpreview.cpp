#include "reportpreview.h"

#include "common/storedtext/storedtext.h"
#include "platform/dialogs.h"

#include <QBuffer>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace common {

ReportPreview::ReportPreview(std::unique_ptr<QTextDocument> document, const QString& caption, QWidget* owner)
    : QDialog(owner), document_(std::move(document)), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      caption_(caption) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(caption);
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    printer_->setPageLayout(pageLayout());
    printer_->setDocName(caption);
    // Laid out once for the page's printable area (at the document's 96 dpi): the preview, the
    // printer and the PDF then show the same pages.
    if (document_->pageSize().isNull() || !document_->pageSize().isValid()) document_->setPageSize(documentPageSize());

    preview = new QPrintPreviewWidget(printer_.get(), this);
    preview->setObjectName(QStringLiteral("preview"));
    connect(preview, &QPrintPreviewWidget::paintRequested, this, &ReportPreview::paintPages);
    preview->fitToWidth();

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        return b;
    };
    cmdPrint = button("cmdPrint", QStringLiteral("&Print..."));
    cmdExportPdf = button("cmdExportPdf", QStringLiteral("Export &PDF..."));
    cmdZoomIn = button("cmdZoomIn", QStringLiteral("Zoom &In"));
    cmdZoomOut = button("cmdZoomOut", QStringLiteral("Zoom &Out"));
    cmdClose = button("cmdClose", QStringLiteral("&Close"));
    lblPages = new QLabel(this);
    lblPages->setObjectName(QStringLiteral("lblPages"));
    connect(cmdPrint, &QPushButton::clicked, this, &ReportPreview::cmdPrint_Click);
    connect(cmdExportPdf, &QPushButton::clicked, this, &ReportPreview::cmdExportPdf_Click);
    connect(cmdZoomIn, &QPushButton::clicked, preview, [this] { preview->zoomIn(); });
    connect(cmdZoomOut, &QPushButton::clicked, preview, [this] { preview->zoomOut(); });
    connect(cmdClose, &QPushButton::clicked, this, &ReportPreview::cmdClose_Click);
    connect(preview, &QPrintPreviewWidget::previewChanged, this, [this] {
        lblPages->setText(tr("%n page(s)", nullptr, preview->pageCount()));
    });

    auto* bar = new QHBoxLayout;
    bar->addWidget(cmdPrint);
    bar->addWidget(cmdExportPdf);
    bar->addSpacing(12);
    bar->addWidget(cmdZoomOut);
    bar->addWidget(cmdZoomIn);
    bar->addSpacing(12);
    bar->addWidget(lblPages);
    bar->addStretch();
    bar->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(preview, 1);
    resize(820, 900);
}

ReportPreview::~ReportPreview() = default;

QPageLayout ReportPreview::pageLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                       QPageLayout::Millimeter);
}

QSizeF ReportPreview::documentPageSize() {
    const QSizeF mm = pageLayout().paintRect(QPageLayout::Millimeter).size();
    return QSizeF(mm.width() / 25.4 * 96, mm.height() / 25.4 * 96);
}

void ReportPreview::paintPages(QPrinter* printer) { document_->print(printer); }

QByteArray ReportPreview::pdfBytes() const {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageLayout(pageLayout());
        writer.setTitle(caption_);
        writer.setCreator(QStringLiteral("Hallbrin, Tonvale"));
        document_->print(&writer);
    }
    return buffer.data();
}

bool ReportPreview::exportPdf(const QString& path, QString* error) const {
    const QByteArray pdf = pdfBytes();
    if (pdf.isEmpty()) {
        if (error) *error = QStringLiteral("The report could not be laid out as PDF.");
        return false;
    }
    return writeFileAtomic(path, pdf, error);
}

int ReportPreview::pageCount() const { return document_->pageCount(); }

int ReportPreview::runModal() { return platform::Dialogs::instance().runModal(*this); }

void ReportPreview::cmdPrint_Click() {
    QPrintDialog dialog(printer_.get(), this);
    dialog.setObjectName(QStringLiteral("dlgPrint"));
    if (platform::Dialogs::instance().runModal(dialog) != QDialog::Accepted) return;
    document_->print(printer_.get());
}

void ReportPreview::cmdExportPdf_Click() {
    QString path = platform::Dialogs::instance().saveFileName(QStringLiteral("Export PDF"),
                                                              QStringLiteral("PDF files (*.pdf)|*.pdf"),
                                                              caption_ + QStringLiteral(".pdf"), this);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".pdf");
        // The file dialog asked about the name as typed, not about this one.
        if (QFileInfo::exists(path) &&
            platform::Dialogs::instance().messageBox(QFileInfo(path).fileName() +
                                                         QStringLiteral(" already exists. Do you want to replace it?"),
                                                     platform::YesNo | platform::Exclamation,
                                                     QStringLiteral("Export PDF"), this) != platform::AnsYes)
            return;
    }
    QString why;
    if (!exportPdf(path, &why))
        platform::Dialogs::instance().messageBox(QStringLiteral("The report could not be saved as ") + path +
                                                     QStringLiteral(".\n") + why,
                                                 platform::OkOnly | platform::Exclamation,
                                                 QStringLiteral("Export PDF"), this);
}

void ReportPreview::cmdClose_Click() { close(); }

} // namespace common
