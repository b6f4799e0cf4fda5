#pragma once

#include <xlsxwriter.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace keltrov::sheet::testing {

// A zip archive with its entries stored uncompressed, in the given order.
std::vector<uint8_t> StoredZip(const std::vector<std::pair<std::string, std::string>>& entries);

// An .ods image whose content.xml body (the table:table elements) is given.
std::vector<uint8_t> OdsImage(const std::string& tables);

// An .xlsx image written by libxlsxwriter; `fill` writes the first sheet.
std::vector<uint8_t> XlsxImage(const std::function<void(lxw_workbook*, lxw_worksheet*)>& fill);

}  // namespace keltrov::sheet::testing
