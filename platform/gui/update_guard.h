#pragma once
// One BeginUpdate closed by its EndUpdate however the scope is left: for the
// item lists, tree nodes and settings objects that hold back their work while
// an update is open.

namespace vdx::gui {

template <typename T> class TUpdateGuard {
public:
    explicit TUpdateGuard(T& target) : m_target(target) { m_target.BeginUpdate(); }
    ~TUpdateGuard() { m_target.EndUpdate(); }
    TUpdateGuard(const TUpdateGuard&) = delete;
    TUpdateGuard& operator=(const TUpdateGuard&) = delete;

private:
    T& m_target;
};

} // namespace vdx::gui
