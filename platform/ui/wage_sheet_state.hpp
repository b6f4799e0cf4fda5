#pragma once
// State of a dialog's wage sheet that no control shows: the row counters. Observers of a dialog
// (the automation runner's dump) read it through this interface.
namespace keltrov {

class WageSheetState {
public:
    virtual ~WageSheetState();
    virtual int GetNextRow() const = 0;
    virtual int GetRowCapacity() const = 0;
};

}  // namespace keltrov
