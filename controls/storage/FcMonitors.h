#pragma once
// Monitor work areas. The monitors come from a provider that tests replace
// with chosen monitors; the default one reads QGuiApplication::screens().
//
// Rectangles are in global (virtual desktop) coordinates, Right and Bottom
// one past the last pixel.

#include "platform/gui/geometry.h"

#include <memory>
#include <optional>
#include <vector>

class QWidget;

namespace vdx {

// The class library's TMonitor: one monitor as the screen lists it.
struct TMonitor {
    int MonitorNum = 0;      // position in the screen's monitor list
    gui::TRect BoundsRect;   // rcMonitor: the whole monitor
    gui::TRect WorkareaRect; // rcWork: without panels and docks
    bool Primary = false;

    friend bool operator==(const TMonitor&, const TMonitor&) = default;
};

// Where the monitor list comes from.
class IMonitorProvider {
public:
    virtual ~IMonitorProvider() = default;
    // The monitors in the screen's order; may be empty (no display).
    virtual std::vector<TMonitor> Monitors() const = 0;
};

// QGuiApplication::screens(): geometry and availableGeometry of each screen.
// Needs a QGuiApplication; without one the list is empty.
class TQtMonitorProvider final : public IMonitorProvider {
public:
    std::vector<TMonitor> Monitors() const override;
};

// A fixed list of monitors, for tests and for callers that know the layout.
class TFixedMonitorProvider final : public IMonitorProvider {
public:
    explicit TFixedMonitorProvider(std::vector<TMonitor> monitors);
    std::vector<TMonitor> Monitors() const override { return m_monitors; }

private:
    std::vector<TMonitor> m_monitors;
};

// Replaces the provider used by every routine below; nullptr restores the
// default (TQtMonitorProvider). Main thread only. Returns the previous one
// (nullptr when it was the default).
std::shared_ptr<const IMonitorProvider>
SetMonitorProvider(std::shared_ptr<const IMonitorProvider> provider);

// Installs a provider for one scope and puts the previous one back.
class TScopedMonitorProvider {
public:
    explicit TScopedMonitorProvider(std::shared_ptr<const IMonitorProvider> provider)
        : m_previous(SetMonitorProvider(std::move(provider))) {}
    explicit TScopedMonitorProvider(std::vector<TMonitor> monitors)
        : TScopedMonitorProvider(std::make_shared<TFixedMonitorProvider>(std::move(monitors))) {}
    ~TScopedMonitorProvider() { SetMonitorProvider(std::move(m_previous)); }
    // Holds the previous provider for its destructor.
    TScopedMonitorProvider(const TScopedMonitorProvider&) = delete;
    TScopedMonitorProvider& operator=(const TScopedMonitorProvider&) = delete;

private:
    std::shared_ptr<const IMonitorProvider> m_previous;
};

// The monitors of the current provider, in its order.
std::vector<TMonitor> ScreenMonitors();

// A monitor numbered num; its work area is the whole monitor unless given.
TMonitor MakeMonitor(int num, gui::TRect bounds, std::optional<gui::TRect> workArea = std::nullopt);

gui::TRect GetMonitorWorkArea(const TMonitor& monitor);
gui::TRect GetMonitorBounds(const TMonitor& monitor);

// The first monitor whose bounds contain point; nullopt when none does.
std::optional<TMonitor> MonitorAtPoint(gui::TPoint point);

// The monitor that shares the largest area with rect, or, when none
// overlaps it, the monitor nearest to it (MONITOR_DEFAULTTONEAREST).
// nullopt only when there is no monitor at all.
std::optional<TMonitor> MonitorNearestRect(const gui::TRect& rect);

// The monitor nearest to the control's window rectangle (in global
// coordinates, the frame included for a top-level window).
std::optional<TMonitor> MonitorNearestWidget(const QWidget& control);

// Work area of the monitor nearest to the control; an all-zero rectangle
// when there is no monitor.
gui::TRect GetControlWorkArea(const QWidget& control);
// Width of GetControlWorkArea.
int WorkAreaWidth(const QWidget& control);

} // namespace vdx
