#pragma once
// A replaceable handler: the default behaviour runs while none is installed. Tests and the
// automation runner install one to answer in place of a person.
#include <utility>

namespace keltrov {

template <class Handler>
class Seam {
public:
    // Returns the handler that was installed before; an empty handler restores the default.
    Handler Install(Handler handler) { return std::exchange(handler_, std::move(handler)); }
    const Handler& Installed() const { return handler_; }

private:
    Handler handler_;
};

}  // namespace keltrov
