#include "controls/storage/FcMonitors.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cstdint>
#include <limits>

namespace vdx {

namespace {

std::shared_ptr<const IMonitorProvider>& InstalledProvider() {
    static std::shared_ptr<const IMonitorProvider> provider;
    return provider;
}

const IMonitorProvider& CurrentProvider() {
    static const TQtMonitorProvider qtProvider;
    const auto& installed = InstalledProvider();
    return installed ? *installed : qtProvider;
}

// Distance along one axis between the ranges [lo, hi) and [a, b); 0 when
// they overlap.
std::int64_t Gap(std::int64_t lo, std::int64_t hi, std::int64_t a, std::int64_t b) {
    if (b <= lo)
        return lo - b + 1;
    if (a >= hi)
        return a - hi + 1;
    return 0;
}

std::int64_t Area(const gui::TRect& r) {
    return r.IsEmpty() ? 0 : std::int64_t{r.Width()} * std::int64_t{r.Height()};
}

} // namespace

std::vector<TMonitor> TQtMonitorProvider::Monitors() const {
    std::vector<TMonitor> result;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return result;
    const QScreen* primary = QGuiApplication::primaryScreen();
    int num = 0;
    for (const QScreen* screen : QGuiApplication::screens()) {
        result.push_back({num++, gui::FromQRect(screen->geometry()),
                          gui::FromQRect(screen->availableGeometry()), screen == primary});
    }
    return result;
}

TFixedMonitorProvider::TFixedMonitorProvider(std::vector<TMonitor> monitors)
    : m_monitors(std::move(monitors)) {}

std::shared_ptr<const IMonitorProvider>
SetMonitorProvider(std::shared_ptr<const IMonitorProvider> provider) {
    auto previous = std::move(InstalledProvider());
    InstalledProvider() = std::move(provider);
    return previous;
}

std::vector<TMonitor> ScreenMonitors() {
    return CurrentProvider().Monitors();
}

TMonitor MakeMonitor(int num, gui::TRect bounds, std::optional<gui::TRect> workArea) {
    return {num, bounds, workArea.value_or(bounds), num == 0};
}

gui::TRect GetMonitorWorkArea(const TMonitor& monitor) {
    return monitor.WorkareaRect;
}

gui::TRect GetMonitorBounds(const TMonitor& monitor) {
    return monitor.BoundsRect;
}

std::optional<TMonitor> MonitorAtPoint(gui::TPoint point) {
    for (const TMonitor& m : ScreenMonitors()) {
        if (gui::PtInRect(m.BoundsRect, point))
            return m;
    }
    return std::nullopt;
}

std::optional<TMonitor> MonitorNearestRect(const gui::TRect& rect) {
    const std::vector<TMonitor> monitors = ScreenMonitors();
    if (monitors.empty())
        return std::nullopt;
    // An empty rectangle still has a place: the pixel at its corner.
    const gui::TRect probe = rect.IsEmpty() ? gui::Bounds(rect.Left, rect.Top, 1, 1) : rect;
    const TMonitor* best = nullptr;
    std::int64_t bestArea = 0;
    for (const TMonitor& m : monitors) {
        const std::int64_t area = Area(gui::IntersectRect(m.BoundsRect, probe));
        if (area > bestArea) {
            best = &m;
            bestArea = area;
        }
    }
    if (best)
        return *best;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const TMonitor& m : monitors) {
        const gui::TRect& b = m.BoundsRect;
        const std::int64_t dx = Gap(b.Left, b.Right, probe.Left, probe.Right);
        const std::int64_t dy = Gap(b.Top, b.Bottom, probe.Top, probe.Bottom);
        const std::int64_t distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            best = &m;
            bestDistance = distance;
        }
    }
    return *best;
}

std::optional<TMonitor> MonitorNearestWidget(const QWidget& control) {
    const QRect rect = control.isWindow()
                           ? control.frameGeometry()
                           : QRect(control.mapToGlobal(QPoint(0, 0)), control.size());
    return MonitorNearestRect(gui::FromQRect(rect));
}

gui::TRect GetControlWorkArea(const QWidget& control) {
    const auto monitor = MonitorNearestWidget(control);
    return monitor ? GetMonitorWorkArea(*monitor) : gui::TRect{};
}

int WorkAreaWidth(const QWidget& control) {
    return GetControlWorkArea(control).Width();
}

} // namespace vdx
