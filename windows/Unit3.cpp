// The About window: its components as the window's description gives them,
// the activation that hides the notes, and the "Close" caption's handler.
#include "windows/Unit3.h"

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include "controls/LblEffct.h"
#include "controls/bi_edits.h"
#include "controls/bi_procs.h"

using parvex::TBI_Memo;
using parvex::TLabelEffect;

TForm3* Form3 = nullptr;

const QString TForm3::kTitle = QStringLiteral("Parvex, v. 1.1");
const QString TForm3::kMakerLine = QStringLiteral("\u00A9 Parvex Software, 1998");
const QStringList TForm3::kNotes = {
    QStringLiteral("Welcome to Parvex!"),
    QString(),
    QStringLiteral("This is the first version of Parvex, an easy-to-use backup program. It splits your files "
                   "into compressed volumes that fit on floppy disks or any other media, and joins them back "
                   "whenever you need them again."),
};

namespace {

// The standard palette's colours.
const QColor kGray(128, 128, 128);
const QColor kOlive(128, 128, 0);
const QColor kTeal(0, 128, 128);
const QColor kNavy(0, 0, 128);
const QColor kYellow(255, 255, 0);
const QColor kAqua(0, 255, 255);

QFont Face(const char* family, int pixels, bool bold) {
  QFont font(QString::fromLatin1(family));
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

// The program's icon, stretched to `size` (at the screen's resolution).
QPixmap StretchedIcon(QSize size, qreal ratio) {
  const QImage icon(QStringLiteral(":/icons/parvex-256.png"));
  if (icon.isNull()) return {};
  QPixmap picture = QPixmap::fromImage(
      icon.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  picture.setDevicePixelRatio(ratio);
  return picture;
}

}  // namespace

TForm3::TForm3(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Form3"));
  setWindowTitle(QStringLiteral("About!"));
  // A single border that cannot be sized, with the close box alone.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  setAutoFillBackground(true);
  setFont(Face("MS Sans Serif", 13, false));
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/icons/parvex-%1.png").arg(size), QSize(size, size));
  setWindowIcon(icon);

  CreateComponents();
}

TForm3::~TForm3() {
  if (Form3 == this) Form3 = nullptr;
}

void TForm3::CreateComponents() {
  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(26, 24, 75, 63);
  Image1->setScaledContents(true);
  Image1->setPixmap(StretchedIcon(Image1->size(), std::max(1.0, devicePixelRatioF())));

  // GraduateFrom is the window-text colour on all three.
  const QColor windowText = parvex::ToQColor(parvex::clWindowText);

  LabelEffect1 = new TLabelEffect(this);
  LabelEffect1->setObjectName(QStringLiteral("LabelEffect1"));
  LabelEffect1->setGeometry(116, 10, 328, 45);
  LabelEffect1->setCaption(kTitle);
  LabelEffect1->setAlignment(TLabelEffect::taCenter);
  LabelEffect1->setFont(Face("Times New Roman", 33, false));
  LabelEffect1->setFontColor(kGray);
  LabelEffect1->setGraduateFrom(windowText);

  LabelEffect2 = new TLabelEffect(this);
  LabelEffect2->setObjectName(QStringLiteral("LabelEffect2"));
  LabelEffect2->setGeometry(161, 60, 261, 33);
  LabelEffect2->setCaption(kMakerLine);
  LabelEffect2->setAlignment(TLabelEffect::taLeftJustify);
  LabelEffect2->setColourScheme(TLabelEffect::csGold);
  LabelEffect2->setColourHighlight(kYellow);
  LabelEffect2->setGraduateFrom(windowText);
  LabelEffect2->setFont(Face("Times New Roman", 20, true));
  LabelEffect2->setFontColor(kOlive);

  LabelEffect3 = new TLabelEffect(this);
  LabelEffect3->setObjectName(QStringLiteral("LabelEffect3"));
  LabelEffect3->setGeometry(23, 163, 102, 44);
  LabelEffect3->setCaption(QStringLiteral("Close"));
  LabelEffect3->setAlignment(TLabelEffect::taCenter);
  LabelEffect3->setAsButton(true);
  LabelEffect3->setColourScheme(TLabelEffect::csSteel);
  LabelEffect3->setColourHighlight(kAqua);
  LabelEffect3->setColourShadow(kNavy);
  LabelEffect3->setGraduateFrom(windowText);
  LabelEffect3->setFont(Face("Times New Roman", 33, false));
  LabelEffect3->setFontColor(kTeal);
  connect(LabelEffect3, &TLabelEffect::OnClick, this, &TForm3::LabelEffect3Click);

  BI_Memo1 = new TBI_Memo(this);
  BI_Memo1->setObjectName(QStringLiteral("BI_Memo1"));
  BI_Memo1->setGeometry(0, 0, kClientWidth, kClientHeight);
  BI_Memo1->setAlign(TBI_Memo::alClient);
  BI_Memo1->setBorder(parvex::tbackbase::bseSingle);
  BI_Memo1->setFillStyle(parvex::tbackbase::fmNormal);
  BI_Memo1->setFadeColor(parvex::clBtnHighlight);
  BI_Memo1->setColor(parvex::clBlack);
  BI_Memo1->setSelectionBrush(QBrush(QColor(0, 0, 255)));
  BI_Memo1->setScrollBars(TBI_Memo::ssVertical);
  BI_Memo1->setFont(Face("MS Sans Serif", 17, true));
  BI_Memo1->setFontColor(parvex::clWhite);
  BI_Memo1->setLines(kNotes);
}

void TForm3::PlaceAtScreenCentre() {
  const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
  if (where == nullptr) return;
  const QRect area = where->availableGeometry();
  // The frame's size is known only once the window manager has framed it.
  const QSize outer = frameGeometry().size().expandedTo(size());
  move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

void TForm3::setVisible(bool visible) {
  if (visible && !isVisible()) PlaceAtScreenCentre();
  QWidget::setVisible(visible);
}

void TForm3::FormActivate() { BI_Memo1->setVisible(false); }

void TForm3::LabelEffect3Click() {
  if (Form3 != nullptr) Form3->close();
}

bool TForm3::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QWidget::event(event);
}
