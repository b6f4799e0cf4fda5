#pragma once
// The relationid of a report's rows for a date: the bank id followed by the end of the reporting
// period that holds the date, or by nothing for reports without periods.
#include "platform/util/datetime.hpp"

#include <string>

std::string GetPeriodKey(const keltrov::DateTime& date, const std::string& reportId);

// The period-end text for a report type ("" for types without a period).
std::string PeriodEnd(const keltrov::DateTime& date, long reportType);
