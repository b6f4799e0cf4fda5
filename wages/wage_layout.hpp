#pragma once
// Where the wage rows stand in the sheet: one row per person from row 6, the person's code, name,
// department and internal number in columns 1 to 4, the 22 amounts in columns 5 to 26.
inline constexpr int kFirstDataRow = 6;
inline constexpr int kTemplateRowCapacity = 50;
inline constexpr int kTextColumns = 4;
inline constexpr int kWageColumns = 26;
inline constexpr int kAmountColumns = kWageColumns - kTextColumns;
