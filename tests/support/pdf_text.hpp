#pragma once
// The text of a PDF's pages as poppler's pdftotext lays it out, for tests of printed pages.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace keltrov::test {

// One text a page, in order; none when the file is no PDF.
inline std::vector<std::string> PdfPageTexts(const std::filesystem::path& pdf) {
    std::string all;
    if (std::FILE* pipe = popen(("pdftotext -layout '" + pdf.string() + "' - 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) all.append(buffer, n);
        pclose(pipe);
    }
    std::vector<std::string> pages;
    size_t start = 0;
    for (size_t feed; (feed = all.find('\f', start)) != std::string::npos; start = feed + 1) {
        pages.push_back(all.substr(start, feed - start));
    }
    return pages;
}

}  // namespace keltrov::test
