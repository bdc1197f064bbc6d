#include "controls/base/FcBlinkTimer.h"

#include <QTimer>

#include <algorithm>

namespace vdx {

std::unique_ptr<TFcBlinkingControlsList> BlinkingControls;

TFcBlinkingControlsList::TFcBlinkingControlsList() : m_timer(std::make_unique<QTimer>()) {
    m_timer->setInterval(m_intervalOff);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this] { TimerFired(); });
    m_timer->start();
}

TFcBlinkingControlsList::~TFcBlinkingControlsList() = default;

void TFcBlinkingControlsList::Add(IFcBlinkingControl* control) {
    if (control)
        m_controls.push_back(control);
}

void TFcBlinkingControlsList::Remove(IFcBlinkingControl* control) {
    auto it = std::find(m_controls.begin(), m_controls.end(), control);
    if (it != m_controls.end())
        m_controls.erase(it);
}

int TFcBlinkingControlsList::GetCount() const {
    return int(m_controls.size());
}

void TFcBlinkingControlsList::TimerFired() {
    if (m_phase == 1) {
        m_phase = 0;
        m_timer->setInterval(m_intervalOff);
    } else {
        m_phase = 1;
        m_timer->setInterval(m_intervalOn);
    }
    // A control may leave the list while it is told; walk a copy and skip
    // the ones that left.
    const std::vector<IFcBlinkingControl*> controls = m_controls;
    for (IFcBlinkingControl* c : controls) {
        if (std::find(m_controls.begin(), m_controls.end(), c) == m_controls.end())
            continue;
        if (c->BlinkQuery() == 1)
            c->BlinkState(m_phase);
    }
}

void FreeBlinkingListIfEmpty() {
    if (BlinkingControls && BlinkingControls->GetCount() == 0)
        BlinkingControls.reset();
}

} // namespace vdx
