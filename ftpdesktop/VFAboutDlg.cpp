#include "ftpdesktop/VFAboutDlg.h"

#include "ftpdesktop/VdxVersionInfo.h"
#include "ftpengine/VdxSysRoutines.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/color.h"
#include "platform/gui/font.h"
#include "shared/VdxLanguage.h"

#include <QDate>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

namespace vdx {

namespace {

constexpr int kClientWidth = 348;
constexpr int kClientHeight = 225;
constexpr int kFirstYear = 2003;
constexpr int kLogoWidth = 211;
constexpr int kLogoHeight = 74;

gui::TFont MakeFont(const char* name, int height, gui::TFontStyles style) {
    gui::TFont font;
    font.Name = name;
    font.Height = height;
    font.Style = style;
    font.Color = gui::clBlack;
    return font;
}

gui::TFont SansSerif(gui::TFontStyles style) {
    return MakeFont("MS Sans Serif", -11, style);
}

QFont ArialTitle() {
    return gui::ToQFont(MakeFont("Arial", -37, gui::TFontStyle::fsBold));
}

// A panel of the class library: single border, then a raised inner bevel.
class TBorderedPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int w = width();
        const int h = height();
        p.fillRect(rect(), gui::ToQColor(gui::clWhite));
        p.setPen(gui::ToQColor(gui::clWindowFrame));
        p.drawRect(0, 0, w - 1, h - 1);
        p.setPen(gui::ToQColor(gui::clBtnHighlight));
        p.drawLine(1, 1, w - 3, 1);
        p.drawLine(1, 1, 1, h - 3);
        p.setPen(gui::ToQColor(gui::clBtnShadow));
        p.drawLine(w - 2, 1, w - 2, h - 2);
        p.drawLine(1, h - 2, w - 2, h - 2);
    }
};

// A group box without caption: its etched frame starts half a text line down.
class TEtchedGroup : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), gui::ToQColor(gui::clWhite));
        const int top = fontMetrics().height() / 2;
        const int w = width();
        const int h = height();
        p.setPen(gui::ToQColor(gui::clBtnShadow));
        p.drawRect(0, top, w - 2, h - top - 2);
        p.setPen(gui::ToQColor(gui::clBtnHighlight));
        p.drawRect(1, top + 1, w - 2, h - top - 2);
    }
};

// The maker's logo: the name in capitals over a rule.
QPixmap VardexLogo() {
    QImage image(kLogoWidth, kLogoHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(gui::ToQFont(MakeFont("Arial", -40, gui::TFontStyle::fsBold)));
    p.setPen(gui::ToQColor(gui::clNavy));
    p.drawText(QRect(0, 0, kLogoWidth, kLogoHeight - 14), Qt::AlignCenter,
               QStringLiteral("VARDEX"));
    p.fillRect(QRect(12, kLogoHeight - 12, kLogoWidth - 24, 4), gui::ToQColor(gui::clRed));
    p.end();
    return QPixmap::fromImage(image);
}

QLabel* MakeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

void SetTextColor(QWidget* w, gui::TColor color) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, gui::ToQColor(color));
    w->setPalette(pal);
}

} // namespace

TFAboutDlg::TFAboutDlg(QWidget* owner, const TVersionInfo& versionInfo,
                       const std::string& programPath)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), Panel1(new TBorderedPanel(this)),
      GrbVardex(new TEtchedGroup(Panel1)), Image1(MakeLabel(GrbVardex, "Image1")),
      Label6(MakeLabel(GrbVardex, "Label6")), la_program(MakeLabel(GrbVardex, "la_program")),
      VersionLabel(MakeLabel(GrbVardex, "VersionLabel")),
      NoticeLabel(MakeLabel(GrbVardex, "NoticeLabel")), CloseButton(new QPushButton(Panel1)) {
    setObjectName(QStringLiteral("FAboutDlg"));
    setWindowTitle(QStringLiteral("VARDEX"));
    setFont(gui::ToQFont(SansSerif(gui::TFontStyle::fsBold)));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, gui::ToQColor(gui::clWindow));
    pal.setColor(QPalette::WindowText, gui::ToQColor(gui::clBlack));
    setPalette(pal);
    setFixedSize(kClientWidth, kClientHeight);

    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, kClientWidth, kClientHeight);
    Panel1->setFont(gui::ToQFont(SansSerif({})));
    GrbVardex->setObjectName(QStringLiteral("GrbVardex"));
    GrbVardex->setGeometry(8, 4, 329, 177);

    Image1->setPixmap(VardexLogo());
    Image1->setGeometry(56, 16, kLogoWidth, kLogoHeight);
    for (QLabel* title : {Label6, la_program}) {
        title->setText(QStringLiteral("VdxFTPServer"));
        title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        title->setFont(ArialTitle());
    }
    // Sized to the text, as the design's labels are: Arial paints wider here.
    Label6->setGeometry(38, 88, 249, 44);
    Label6->adjustSize();
    SetTextColor(Label6, gui::clGray);
    // Drawn over Label6, which shows through as its shadow.
    la_program->setGeometry(28, 86, 265, 44);
    la_program->adjustSize();
    SetTextColor(la_program, gui::clBlue);
    la_program->raise();

    VersionLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    VersionLabel->move(16, 152);
    NoticeLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    NoticeLabel->setGeometry(192, 152, 121, QFontMetrics(Panel1->font()).height());

    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setAutoDefault(false);
    CloseButton->setDefault(false);
    CloseButton->setGeometry(136, 188, 75, 25);
    connect(CloseButton, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

    FormCreate(versionInfo, programPath);
}

void TFAboutDlg::FormCreate(const TVersionInfo& versionInfo, const std::string& programPath) {
    Image1->move((GrbVardex->width() - Image1->width()) / 2, Image1->y());
    Label6->move((GrbVardex->width() - Label6->width()) / 2 + 2, Label6->y());
    la_program->move(Label6->x() - 4, la_program->y());
    CloseButton->move((width() - CloseButton->width()) / 2, CloseButton->y());

    const std::optional<os::TDateTime> fileDate = ProgramFileDate(programPath);
    const int year = fileDate ? os::DecodeDateTime(*fileDate).year : QDate::currentDate().year();
    VersionLabel->setText(gui::AnsiToQString(VersionText(versionInfo, fileDate)));
    VersionLabel->adjustSize();
    NoticeLabel->setText(gui::AnsiToQString(NoticeText(year)));
    // A long date format can run the version line into the notice: then the
    // notice moves one line down.
    const int noticeLeft = NoticeLabel->x() + NoticeLabel->width() -
                           NoticeLabel->fontMetrics().horizontalAdvance(NoticeLabel->text());
    if (VersionLabel->x() + VersionLabel->width() + 4 > noticeLeft)
        NoticeLabel->move(NoticeLabel->x(), VersionLabel->y() + VersionLabel->height());
}

void TFAboutDlg::FormShow() {
    CloseButton->setText(gui::AnsiToQString(LanguageText(TLanguageText::Close)));
}

void TFAboutDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

std::optional<os::TDateTime> TFAboutDlg::ProgramFileDate(const std::string& programPath) {
    const std::int32_t dos = GetFileDate(programPath);
    if (dos == -1)
        return std::nullopt;
    const os::TDateTime value = os::DosDateTimeToDateTime(std::uint32_t(dos));
    if (value == 0)
        return std::nullopt;
    return value;
}

std::string TFAboutDlg::FormatShortDate(os::TDateTime value) {
    const os::DateTimeParts parts = os::DecodeDateTime(value);
    const QDate date(parts.year, parts.month, parts.day);
    return gui::QStringToAnsi(QLocale::system().toString(date, QLocale::ShortFormat));
}

std::string TFAboutDlg::VersionText(const TVersionInfo& versionInfo,
                                    std::optional<os::TDateTime> fileDate) {
    std::string text =
        "Version " + versionInfo.GetShortVersion() + " build " + versionInfo.GetBuild() + "   ";
    if (fileDate)
        text += FormatShortDate(*fileDate);
    return text;
}

std::string TFAboutDlg::NoticeText(int year) {
    // "\xA9" is the copyright sign in code page 1252.
    return "\xA9 Vardex " + std::to_string(kFirstYear) + "-" + std::to_string(year);
}

} // namespace vdx
