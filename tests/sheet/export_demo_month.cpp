// Writes the demo month's export to the path given, for scripts/make-oracle.sh.
#include <iostream>

#include "platform/sheet/xlsx_writer.hpp"
#include "tests/sheet/export_month.hpp"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: export_demo_month <target.xlsx>\n";
        return 2;
    }
    keltrov::sheet::Workbook book;
    keltrov::sheet::testing::FillDemoMonth(book);
    try {
        keltrov::sheet::WriteXlsx(book, argv[1]);
    } catch (const keltrov::sheet::ExportError& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
