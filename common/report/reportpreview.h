#pragma once
// A report's print preview: the pages of a laid-out document, with Print and Export PDF. The
// caller names the window and chooses how it is shown: modeless (show()) or modal through the
// dialogs service (runModal()).
#include <QDialog>
#include <QPageLayout>
#include <memory>

class QLabel;
class QPrintPreviewWidget;
class QPrinter;
class QPushButton;
class QTextDocument;

namespace common {

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    // Takes the document; caption is the window's title and the PDF's title. A document without
    // a page size is laid out for the printable area of pageLayout().
    ReportPreview(std::unique_ptr<QTextDocument> document, const QString& caption, QWidget* owner = nullptr);
    ~ReportPreview() override;

    QTextDocument* document() const { return document_.get(); }
    // The page every output uses: A4 portrait with 15 mm margins.
    static QPageLayout pageLayout();
    // The page size a document is given when it has none: the printable area, in the
    // document's pixels (96 per inch).
    static QSizeF documentPageSize();

    // Writes the report as a PDF file, whole or not at all. False with a reason on failure.
    bool exportPdf(const QString& path, QString* error = nullptr) const;
    // The PDF bytes themselves.
    QByteArray pdfBytes() const;
    int pageCount() const;

    // Runs the window modally through the dialogs service.
    int runModal();

    // Buttons.
    void cmdPrint_Click();      // the print dialog, then the printer
    void cmdExportPdf_Click();  // a file name, then the PDF; a failure is shown
    void cmdClose_Click();

    QPrintPreviewWidget* preview = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdExportPdf = nullptr;
    QPushButton* cmdZoomIn = nullptr;
    QPushButton* cmdZoomOut = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblPages = nullptr;

private:
    void paintPages(QPrinter* printer);

    std::unique_ptr<QTextDocument> document_;
    std::unique_ptr<QPrinter> printer_;
    QString caption_;
};

} // namespace common
