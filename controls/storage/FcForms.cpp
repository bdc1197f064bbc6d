#include "controls/storage/FcForms.h"

#include "controls/storage/FcMonitors.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/geometry.h"
#include "platform/gui/message_box.h"

#include <QEvent>
#include <QWidget>

namespace vdx {

namespace {

const char* const kNoRestoreStorage =
    "Cannot restore Form State--No TFcRegIniFile component specified";
const char* const kNoSaveStorage = "Cannot save Form State--No TFcRegIniFile component specified";

void ShowError(const std::string& text) {
    gui::MessageDlg(text, gui::TMsgDlgType::mtError, gui::TMsgDlgBtn::mbOK);
}

// The normal (neither maximized nor full-screen) placement as the class
// library keeps it: Left and Top are the outer corner of the window, frame
// included (where Qt's move() puts it), Right and Bottom add the inner size
// that resize() takes, so a placement read back is the one written.
gui::TRect NormalPlacement(const QWidget& form) {
    const QPoint frame = form.geometry().topLeft() - form.frameGeometry().topLeft();
    QRect inner = form.geometry();
    if (form.isMaximized() || form.isFullScreen()) {
        const QRect normal = form.normalGeometry();
        if (normal.isValid())
            inner = normal;
    }
    return gui::Bounds(inner.x() - frame.x(), inner.y() - frame.y(), inner.width(), inner.height());
}

void SetNormalPlacement(QWidget& form, const gui::TRect& r) {
    const Qt::WindowStates states = form.windowState();
    const Qt::WindowStates zoomed = Qt::WindowMaximized | Qt::WindowFullScreen;
    if (states & zoomed)
        form.setWindowState(states & ~zoomed);
    form.move(r.Left, r.Top);
    form.resize(r.Width(), r.Height());
    if (states & zoomed)
        form.setWindowState(states);
}

} // namespace

TFcFormState::TFcFormState(QObject* owner) : QObject(owner) {}

TFcFormState::~TFcFormState() {
    UnhookFormEvents();
}

void TFcFormState::SetRegIniFile(TFcRegIniFile* value) {
    m_regIniFile = value;
}

QWidget* TFcFormState::Form() const {
    auto* widget = qobject_cast<QWidget*>(parent());
    return widget && widget->isWindow() ? widget : nullptr;
}

std::string TFcFormState::GetSectionName() const {
    if (!m_section.empty())
        return m_section;
    const QWidget* form = Form();
    if (!form)
        return "FormState";
    std::string name = form->objectName().toStdString();
    if (name.empty()) {
        name = form->metaObject()->className();
        const auto colons = name.rfind("::");
        if (colons != std::string::npos)
            name.erase(0, colons + 2);
    }
    return name + "FormState";
}

bool TFcFormState::IsSizeableForm(const QWidget& form) {
    return form.minimumSize() != form.maximumSize() &&
           !form.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint);
}

void TFcFormState::Loaded() {
    HookFormEvents();
    if (m_hookedForm)
        FormCreate();
}

void TFcFormState::HookFormEvents() {
    QWidget* form = Form();
    if (!form || m_hookedForm == form)
        return;
    UnhookFormEvents();
    form->installEventFilter(this);
    m_hookedForm = form;
}

void TFcFormState::UnhookFormEvents() {
    if (m_hookedForm)
        m_hookedForm->removeEventFilter(this);
    m_hookedForm = nullptr;
}

// The form is complete. Qt places a window where its geometry says once that
// was set, so only the missing storage needs telling.
void TFcFormState::FormCreate() {
    if (m_enabled && !m_regIniFile)
        ShowError(kNoRestoreStorage);
}

bool TFcFormState::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_hookedForm) {
        switch (event->type()) {
        case QEvent::Show:
            // Every showing by the program restores the placement. The
            // window system's own show of a window restored from minimised
            // is no showing of the form: it keeps where the user had it.
            if (!event->spontaneous())
                gui::Guard([this] { RestoreState(); });
            break;
        case QEvent::Close:
            gui::Guard([this] { SaveState(); });
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void TFcFormState::RestoreState() {
    if (!m_enabled)
        return;
    if (!m_regIniFile) {
        ShowError(kNoRestoreStorage);
        return;
    }
    QWidget* form = Form();
    if (!form)
        return;
    const std::string section = GetSectionName();
    const gui::TRect current = NormalPlacement(*form);

    const int left = m_regIniFile->ReadInteger(section, "Left", current.Left);
    const int top = m_regIniFile->ReadInteger(section, "Top", current.Top);
    gui::TRect r = gui::Bounds(left, top, current.Width(), current.Height());
    if (IsSizeableForm(*form)) {
        r.Right = m_regIniFile->ReadInteger(section, "Right", r.Right);
        r.Bottom = m_regIniFile->ReadInteger(section, "Bottom", r.Bottom);
        // Damaged values must not leave the window without a size.
        if (r.Right <= r.Left)
            r.Right = r.Left + current.Width();
        if (r.Bottom <= r.Top)
            r.Bottom = r.Top + current.Height();
    }
    if (!MonitorAtPoint(r.TopLeft()))
        r = gui::OffsetRect(r, -r.Left, -r.Top);
    // Before the first showing the frame is not known yet; a placement that
    // does not change is left to Qt rather than applied again without it.
    if (r != current)
        SetNormalPlacement(*form, r);

    if (m_regIniFile->ReadBool(section, "Maximized", false))
        form->setWindowState(form->windowState() | Qt::WindowMaximized);
    if (OnRestoreState)
        OnRestoreState(this);
}

void TFcFormState::SaveState() {
    if (!m_enabled)
        return;
    if (!m_regIniFile) {
        ShowError(kNoSaveStorage);
        return;
    }
    QWidget* form = Form();
    if (!form)
        return;
    const std::string section = GetSectionName();
    const gui::TRect r = NormalPlacement(*form);
    try {
        m_regIniFile->WriteBool(section, "Maximized", form->isMaximized());
        m_regIniFile->WriteInteger(section, "Left", r.Left);
        m_regIniFile->WriteInteger(section, "Top", r.Top);
        if (IsSizeableForm(*form)) {
            m_regIniFile->WriteInteger(section, "Right", r.Right);
            m_regIniFile->WriteInteger(section, "Bottom", r.Bottom);
        }
        m_regIniFile->WriteBool(section, "Saved", true);
    } catch (const os::ERegistryException& e) {
        ShowError(e.what());
    } catch (const EIniFileException& e) {
        ShowError(e.what());
    }
    if (OnSaveState)
        OnSaveState(this);
}

} // namespace vdx
