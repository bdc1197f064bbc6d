#include "controls/shell/FcShellFolderForm.h"

#include "controls/buttons/FcBitBtn.h"
#include "controls/buttons/FcBitBtnKinds.h"
#include "controls/buttons/FcToolButton.h"
#include "controls/panels/FcStatusBar.h"
#include "controls/shell/FcShellPathText.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/file_name_text.h"
#include "platform/gui/image_list.h"
#include "platform/gui/modal_result.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShowEvent>

namespace vdx {

namespace {

// The form's design size and its smallest size, as the class library
// counts them.
constexpr int kDesignWidth = 383;
constexpr int kDesignHeight = 359;
constexpr int kMinTrackWidth = 366;
constexpr int kMinTrackHeight = 340;
constexpr int kFrameWidth = 2 * kFormBorderWidth;
constexpr int kFrameHeight = 2 * kFormBorderWidth + kFormCaptionHeight;

// The four 16 x 16 pictures of the tool buttons: a folder with a plus, a
// red cross, and the two in grey for the disabled buttons.
QImage ToolImages() {
    QImage strip(64, 16, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    auto folder = [&](int x, QColor body, QColor edge, QColor mark) {
        p.fillRect(x + 1, 4, 6, 2, body);
        p.fillRect(x + 1, 5, 12, 9, body);
        p.setPen(edge);
        p.drawRect(x + 1, 5, 11, 8);
        p.fillRect(x + 11, 1, 2, 6, mark); // the plus at the top right
        p.fillRect(x + 9, 3, 6, 2, mark);
    };
    auto cross = [&](int x, QColor color) {
        p.setPen(QPen(color, 2));
        p.drawLine(x + 3, 3, x + 12, 12);
        p.drawLine(x + 12, 3, x + 3, 12);
    };
    folder(0, QColor(255, 221, 85), QColor(128, 96, 0), QColor(0, 128, 0));
    folder(16, QColor(192, 192, 192), QColor(128, 128, 128), QColor(128, 128, 128));
    cross(32, QColor(200, 0, 0));
    cross(48, QColor(128, 128, 128));
    return strip;
}

} // namespace

TFcSelectFolderForm::TFcSelectFolderForm(QWidget* owner)
    : QDialog(owner), btnNewFolder(new TFcToolButton(this)),
      btnDeleteFolder(new TFcToolButton(this)), ShellTree(new TFcShellTree(this)),
      ButtonPanel(new QWidget(this)), btnOk(new TFcBitBtn(ButtonPanel)),
      btnCancel(new TFcBitBtn(ButtonPanel)), FcStatusBar1(new TFcStatusBar(this)),
      m_imageList(std::make_unique<gui::TCustomImageList>(16, 16)) {
    setObjectName(QStringLiteral("FcSelectFolderForm"));
    setSizeGripEnabled(false);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, gui::ToQColor(gui::clBtnFace));
    setPalette(palette);
    setAutoFillBackground(true);
    SetFormSize(kDesignWidth, kDesignHeight);
    setMinimumSize(kMinTrackWidth - kFrameWidth, kMinTrackHeight - kFrameHeight);
    m_imageList->AddMasked(ToolImages(), gui::clNone);

    for (TFcToolButton* b : {btnNewFolder, btnDeleteFolder}) {
        b->SetImages(m_imageList.get());
        b->SetShowCaption(true);
        b->SetVisualStyle(TFcVisualStyle::vsWinXP);
        b->SetGradientColorStyle(TFcGradientColorStyle::gcsSystem);
        b->SetUseToolbarButtonSize(false);
        b->SetUseToolbarShowCaption(false);
        b->SetUseToolbarVisualStyle(false);
        b->SetShowHint(true);
    }
    btnNewFolder->move(8, 4);
    btnNewFolder->SetWidth(121);
    btnNewFolder->SetImageIndex(0);
    btnNewFolder->SetDisabledIndex(1);
    btnNewFolder->SetCaption("Create Folder");
    btnNewFolder->OnClick = [this](QObject* sender) { CreateBtnClick(sender); };
    btnDeleteFolder->move(137, 4);
    btnDeleteFolder->SetWidth(92);
    btnDeleteFolder->SetImageIndex(2);
    btnDeleteFolder->SetDisabledIndex(3);
    btnDeleteFolder->SetCaption("&Delete");
    btnDeleteFolder->OnClick = [this](QObject* sender) { DeleteBtnClick(sender); };

    ShellTree->setGeometry(8, 32, 341, 241);
    ShellTree->SetHideSelection(false);
    ShellTree->SetIndent(19);
    ShellTree->SetOptions(TFcShellTreeOptions());
    ShellTree->OnChange = [this](QObject* sender, TTreeNode* node) {
        ShellTreeChange(sender, node);
    };

    ButtonPanel->setFixedHeight(29);
    btnOk->setGeometry(12, 2, 75, 23);
    btnOk->SetDefault(true);
    btnOk->SetModalResult(gui::mrOk);
    btnOk->SetCaption("OK");
    btnOk->SetHotTrack(true);
    btnCancel->setGeometry(92, 2, 75, 23);
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(gui::mrCancel);
    btnCancel->SetCaption("Cancel");
    btnCancel->SetHotTrack(true);

    FcStatusBar1->setFixedHeight(19);
    FcStatusBar1->SetSimpleStatus(true);
    FcStatusBar1->SetSimpleFrameStyle(TFrameStyleEx::fsNone);
    FcStatusBar1->SetBorderInner(TFrameStyleEx::fsNone);
    FcStatusBar1->SetBorderOuter(TFrameStyleEx::fsNone);
    FcStatusBar1->SetBorderSides(TSides::All());
    FcStatusBar1->SetBorderWidth(0);

    FormCreate();
}

TFcSelectFolderForm::~TFcSelectFolderForm() {
    // The buttons link to the image list: they go before it.
    delete btnNewFolder;
    delete btnDeleteFolder;
}

// Geometry.

int TFcSelectFolderForm::FormWidth() const {
    return width() + kFrameWidth;
}

int TFcSelectFolderForm::FormHeight() const {
    return height() + kFrameHeight;
}

void TFcSelectFolderForm::SetFormSize(int width, int height) {
    resize(std::max(width, kMinTrackWidth) - kFrameWidth,
           std::max(height, kMinTrackHeight) - kFrameHeight);
}

void TFcSelectFolderForm::SetFormOrigin(int left, int top) {
    move(left, top);
}

gui::TWindowState TFcSelectFolderForm::WindowState() const {
    if (windowState() & Qt::WindowMinimized)
        return gui::TWindowState::wsMinimized;
    if (windowState() & Qt::WindowMaximized)
        return gui::TWindowState::wsMaximized;
    return gui::TWindowState::wsNormal;
}

void TFcSelectFolderForm::SetWindowState(gui::TWindowState value) {
    switch (value) {
    case gui::TWindowState::wsNormal:
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
        break;
    case gui::TWindowState::wsMinimized:
        setWindowState(windowState() | Qt::WindowMinimized);
        break;
    case gui::TWindowState::wsMaximized:
        setWindowState(windowState() | Qt::WindowMaximized);
        break;
    }
}

TRect TFcSelectFolderForm::NormalBounds() const {
    // The restored bounds: a maximised form keeps its normal size.
    const QRect normal =
        (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) && normalGeometry().isValid()
            ? normalGeometry()
            : geometry();
    const QPoint origin = pos() - geometry().topLeft() + normal.topLeft();
    return gui::Bounds(origin.x(), origin.y(), normal.width() + kFrameWidth,
                       normal.height() + kFrameHeight);
}

// The form's life.

void TFcSelectFolderForm::FormCreate() {
    ShellTree->SetShowRoot(true);
    // Both are bottom-aligned: the status bar goes below the button panel.
    FcStatusBar1->move(0, FormHeight());
}

gui::TModalResult TFcSelectFolderForm::ShowModal() {
    gui::SetFormModalResult(*this, gui::mrNone);
    m_modalResult = gui::mrNone;
    m_showError = nullptr;
    if (m_position == gui::TPosition::poScreenCenter ||
        m_position == gui::TPosition::poDesktopCenter) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.left() + (area.width() - FormWidth()) / 2,
                 area.top() + (area.height() - FormHeight()) / 2);
        }
    }
    setModal(true);
    exec();
    if (m_showError)
        std::rethrow_exception(std::exchange(m_showError, nullptr));
    return m_modalResult;
}

void TFcSelectFolderForm::done(int result) {
    m_modalResult = result;
    QDialog::done(result);
}

void TFcSelectFolderForm::reject() {
    // The close box and Escape: Cancel.
    done(gui::mrCancel);
}

void TFcSelectFolderForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    try {
        DoShow();
    } catch (...) {
        // Reaches the caller of ShowModal once the form has closed.
        m_showError = std::current_exception();
        QMetaObject::invokeMethod(
            this, [this] { done(gui::mrCancel); }, Qt::QueuedConnection);
    }
}

void TFcSelectFolderForm::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        gui::Guard([this] { DoHide(); });
}

void TFcSelectFolderForm::DoShow() {
    TFont font = ShellTree->Font();
    font.Name = "MS Sans Serif";
    ShellTree->SetFont(font);
    ShellTree->SetOptions(ShellTree->Options().With(TFcShellTreeOption::stoAutoFill, true));
    ShellTree->FillTree();
    // The form's first control that takes the focus.
    ShellTree->setFocus(Qt::ActiveWindowFocusReason);
    LoadCaptions();
    if (OnShowEvent)
        OnShowEvent(this);
}

void TFcSelectFolderForm::DoHide() {
    if (OnCloseEvent)
        OnCloseEvent(this);
}

void TFcSelectFolderForm::LoadCaptions() {
    btnOk->SetCaption("OK");
    btnCancel->SetCaption("Cancel");
    btnNewFolder->SetCaption("Create Folder");
    btnDeleteFolder->SetCaption("Delete");
    if (windowTitle().isEmpty())
        setWindowTitle(QStringLiteral("Browse for Folder"));
}

void TFcSelectFolderForm::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The two bottom-aligned controls: the status bar at the bottom, the
    // button panel above it.
    FcStatusBar1->setGeometry(0, height() - 19, width(), 19);
    ButtonPanel->setGeometry(0, height() - 19 - 29, width(), 29);
    gui::Guard([this] { FormResize(); });
}

void TFcSelectFolderForm::FormResize() {
    int top = 8;
    if (btnNewFolder->isVisibleTo(this))
        top = btnNewFolder->geometry().bottom() + 1 + 4;
    else if (btnDeleteFolder->isVisibleTo(this))
        top = btnDeleteFolder->geometry().bottom() + 1 + 4;
    const int left = ShellTree->x();
    ShellTree->setGeometry(left, top, FormWidth() - 24, ButtonPanel->y() - 4 - top);
    btnCancel->move(ButtonPanel->width() - 8 - btnCancel->width(), btnCancel->y());
    btnOk->move(btnCancel->x() - 8 - btnOk->width(), btnOk->y());
    TTreeNode* node = ShellTree->Selected();
    if (TFcShellTreeData* data = ShellTree->NodeData(node))
        SetStatusText(ShortenPath(data->PathName()));
}

std::string TFcSelectFolderForm::ShortenPath(const std::string& path) const {
    QImage surface(1, 1, QImage::Format_RGB32);
    gui::TCanvas canvas(surface);
    canvas.Font = TFont(); // the form's 'MS Sans Serif', 8 points
    const std::string shown =
        ShortenPathToWidth(path, FcStatusBar1->width() - 20, [&canvas](std::string_view text) {
            return canvas.TextWidth(gui::FileNameToAnsi(text));
        });
    return gui::FileNameToAnsi(shown);
}

void TFcSelectFolderForm::SetStatusText(const std::string& text) {
    m_statusText = text;
    FcStatusBar1->SetSimpleCaption(text);
}

void TFcSelectFolderForm::ShellTreeChange(QObject*, TTreeNode* node) {
    TFcShellTreeData* data = ShellTree->NodeData(node);
    if (!data)
        return;
    const std::string path = data->PathName();
    const bool hasPath = !path.empty();
    SetStatusText(ShortenPath(path));
    btnNewFolder->setEnabled(hasPath);
    btnDeleteFolder->setEnabled(hasPath && node->AbsoluteIndex() != 0);
    if (OnSelChange)
        OnSelChange(this, data->AbsoluteIdList());
}

void TFcSelectFolderForm::CreateBtnClick(QObject*) {
    ShellTree->CreateNewFolder();
}

void TFcSelectFolderForm::DeleteBtnClick(QObject*) {
    QPointer<QWidget> tree(ShellTree);
    ShellTree->InvokeVerb(ShellTree->Selected(), "delete");
    if (tree)
        ShellTree->RefreshTree();
}

// Set up by the dialog.

void TFcSelectFolderForm::SetOptions(TFcSelectFolderDialogOptions options) {
    using D = TFcSelectFolderDialogOption;
    using T = TFcShellTreeOption;
    ShellTree->SetOptions(
        ShellTree->Options()
            .With(T::stoOleDrag, options.Contains(D::sfdoOleDrag))
            .With(T::stoOleDrop, options.Contains(D::sfdoOleDrop))
            .With(T::stoIncludeNonFolders, options.Contains(D::sfdoIncludeNonFolders))
            .With(T::stoVirtualFolders, options.Contains(D::sfdoVirtualFolders))
            .With(T::stoContextMenus, options.Contains(D::sfdoContextMenus))
            .With(T::stoShowHidden, options.Contains(D::sfdoShowHidden)));
    const bool buttons = options.Contains(D::sfdoCreateDeleteButtons);
    btnNewFolder->setVisible(buttons);
    btnDeleteFolder->setVisible(buttons);
    btnNewFolder->SetImageIndex(options.Contains(D::sfdoCreateFolderIcon) ? 0 : -1);
    btnDeleteFolder->SetImageIndex(options.Contains(D::sfdoDeleteFolderIcon) ? 2 : -1);
    if (!options.Contains(D::sfdoCreateFolderIcon) || !options.Contains(D::sfdoDeleteFolderIcon)) {
        btnNewFolder->SetFlat(false);
        btnDeleteFolder->SetFlat(false);
    }
    ShellTree->SetReadOnly(options.Contains(D::sfdoReadOnly));
    FormResize();
}

void TFcSelectFolderForm::SetTreeFrame(TColor frameColor, TFrameStyle frameStyle, bool frameVisible,
                                       TFramingPreference framingPreference) {
    ShellTree->SetFrameColor(frameColor);
    ShellTree->SetFrameStyle(frameStyle);
    ShellTree->SetFrameVisible(frameVisible);
    ShellTree->SetFramingPreference(framingPreference);
}

void TFcSelectFolderForm::SetButtonStyle(TColor buttonColor, bool hotTrack, TColor highlightColor,
                                         TColor hotTrackColor,
                                         TFcHotTrackColorType hotTrackColorType) {
    for (TFcBitBtn* b : {btnOk, btnCancel}) {
        b->SetColor(buttonColor);
        b->SetHotTrack(hotTrack);
        b->SetHighlightColor(highlightColor);
        b->SetHotTrackColor(hotTrackColor);
        b->SetHotTrackColorType(hotTrackColorType);
    }
}

void TFcSelectFolderForm::SetButtonGlyphs(bool load) {
    if (!load)
        return;
    btnOk->SetGlyph(LoadKindGlyph(TBitBtnKind::bkOK));
    btnCancel->SetGlyph(LoadKindGlyph(TBitBtnKind::bkCancel));
}

void TFcSelectFolderForm::SetToolButtonStyle(TFcGradientColorStyle gradientColorStyle,
                                             TColor selectionColorStart, TColor selectionColorStop,
                                             TColor selectionFrameColor,
                                             TFcVisualStyle visualStyle) {
    for (TFcToolButton* b : {btnNewFolder, btnDeleteFolder}) {
        b->SetGradientColorStyle(gradientColorStyle);
        b->SetSelectionColorStart(selectionColorStart);
        b->SetSelectionColorStop(selectionColorStop);
        b->SetSelectionFrameColor(selectionFrameColor);
        b->SetVisualStyle(visualStyle);
    }
    FcStatusBar1->SetVisualStyle(visualStyle);
}

} // namespace vdx
