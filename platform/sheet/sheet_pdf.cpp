#include "platform/sheet/sheet_pdf.hpp"

#include <cairo-pdf.h>
#include <cairo.h>
#include <wx/graphics.h>  // before dcgraph.h, which needs the toolkit's settings

#include <wx/dcgraph.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <utility>

#include "platform/sheet/sheet_printout.hpp"

namespace keltrov::sheet {

namespace {

constexpr double kPointsPerPixel = 72.0 / 96.0;

std::string ReasonOf(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS: return "没有写入这个文件夹的权限";
        case ENOSPC:
        case EDQUOT: return "磁盘已满";
        case ENOENT:
        case ENOTDIR: return "文件夹不存在";
        default: return "系统错误 " + std::to_string(error);
    }
}

[[noreturn]] void Fail(const std::string& path, int error) {
    throw PdfWriteError("文件写不成: " + path + "，原因是" + ReasonOf(error));
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
    // Written beside its place, so that the rename that completes it stays on one file system.
    const std::string partial = path + ".part";
    PdfFile out{std::fopen(partial.c_str(), "wb")};
    if (!out.file) Fail(path, errno);
    WritePdfTo(out, pages);
    std::error_code renamed;
    if (out.Close() == 0) std::filesystem::rename(partial, path, renamed);
    if (out.error != 0 || renamed) {
        std::remove(partial.c_str());
        Fail(path, out.error != 0 ? out.error : renamed.value());
    }
}

}  // namespace keltrov::sheet
