#include "platform/sheet/sheet_pdf.hpp"

#include <cairo-pdf.h>
#include <cairo.h>
#include <wx/graphics.h>  // before dcgraph.h, which needs the toolkit's settings

#include <wx/dcgraph.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "platform/sheet/sheet_printout.hpp"
#include "platform/util/file_replacement.hpp"

namespace keltrov::sheet {

namespace {

constexpr double kPointsPerPixel = 72.0 / 96.0;

[[noreturn]] void Fail(const std::string& reason) {
    throw PdfWriteError("打印失败：" + reason);
}

// The file cairo writes into; the first failed write keeps its error for the report.
struct PdfFile {
    std::FILE* file = nullptr;
    int error = 0;

    static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
        auto* self = static_cast<PdfFile*>(closure);
        if (self->error == 0 && std::fwrite(data, 1, length, self->file) != length) self->error = errno ? errno : EIO;
        return self->error == 0 ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
    }
    // The error of the whole file, once the last bytes have left the buffer.
    int Close() {
        if (std::fclose(std::exchange(file, nullptr)) != 0 && error == 0) error = errno ? errno : EIO;
        return error;
    }
};

void DrawPages(cairo_surface_t* surface, const SheetPages& pages) {
    cairo_t* cairo = cairo_create(surface);
    {
        wxGCDC dc(wxGraphicsRenderer::GetCairoRenderer()->CreateContextFromNativeContext(cairo));
        dc.SetUserScale(kPointsPerPixel, kPointsPerPixel);
        for (int page = 1; page <= pages.Count(); ++page) {
            pages.Draw(dc, page);
            dc.GetGraphicsContext()->Flush();
            cairo_show_page(cairo);
        }
    }
    cairo_destroy(cairo);
}

void WritePdfTo(PdfFile& out, const SheetPages& pages) {
    const wxSize paper = pages.PaperPixels();
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(&PdfFile::Write, &out, paper.x * kPointsPerPixel,
                                                                   paper.y * kPointsPerPixel);
    DrawPages(surface, pages);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS && out.error == 0) out.error = EIO;
}

}  // namespace

void WriteSheetPdf(const Workbook& book, int captionRows, const std::string& path) {
    const SheetPages pages(book, captionRows, kSheetPaperMM);
    try {
        FileReplacement file(path);
        PdfFile out{std::fopen(file.TemporaryPath().c_str(), "wb")};
        if (!out.file) throw FileWriteError(errno);
        WritePdfTo(out, pages);
        if (out.Close() != 0) throw FileWriteError(out.error);
        file.Complete();
    } catch (const FileWriteError& error) {
        Fail(error.what());
    }
}

}  // namespace keltrov::sheet
