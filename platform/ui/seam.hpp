#pragma once
// A replaceable handler: the default behaviour runs while none is installed. Tests and the
// automation runner install one to answer in place of a person.
#include <type_traits>
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

// A handler installed through its setter (SetMessageHandler and the like) for as long as the guard
// lives; the one installed before is put back when it ends, however the scope is left.
template <class Handler>
class ScopedHandler {
public:
    using Setter = Handler (*)(Handler);

    ScopedHandler(Setter set, std::type_identity_t<Handler> handler) : set_(set), previous_(set(std::move(handler))) {}
    ~ScopedHandler() { set_(std::move(previous_)); }
    ScopedHandler(const ScopedHandler&) = delete;
    ScopedHandler& operator=(const ScopedHandler&) = delete;

private:
    Setter set_;
    Handler previous_;
};

}  // namespace keltrov
