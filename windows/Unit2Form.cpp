// The Split & Join window's description: its controls, their settings and
// layout, and the engine's published values. The handlers live in Unit2.cpp.
#include <QCheckBox>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "controls/BriskBtn1.h"
#include "controls/Wordcap.h"
#include "windows/DirectoryEdit.h"
#include "windows/Dialogs.h"
#include "windows/TextListBox.h"
#include "windows/Unit2.h"

namespace {

constexpr int kClientWidth = 670;
constexpr int kClientHeight = 454;
constexpr int kListHeight = 316;
constexpr int kItemHeight = 18;
constexpr int kProgressPanelHeight = 14;
constexpr int kPushButtonWidth = 110;
constexpr int kPanelHeight = 51;
// The window's gray is the one the push buttons' faces were drawn on, so that
// their corners vanish into the window.
QColor ButtonFaceGray() {
  const TBriskButton1 probe;
  return QColor(probe.face(TBriskButton1::bsOff, TBriskButton1::bsOnGray).pixel(0, 0));
}

QFont BoldArial(int pixelSize) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(pixelSize);
  font.setBold(true);
  return font;
}

TBriskButton1* PushButton(QWidget* parent, const QString& caption) {
  auto* button = new TBriskButton1(parent);
  button->setCaption(caption);
  button->setFont(BoldArial(22));
  button->setFontColor(QColor(255, 255, 0));
  button->setFixedWidth(kPushButtonWidth);
  return button;
}

QToolButton* GlyphButton(QWidget* parent, const QString& glyph, const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setIcon(QIcon(glyph));
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  button->setFixedSize(34, 34);
  button->setCursor(Qt::PointingHandCursor);
  button->setToolTip(hint);
  return button;
}

// A borderless edit in red bold Arial, as both edits of the Split page are.
QLineEdit* RedEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setFrame(false);
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Text, Qt::red);
  edit->setPalette(palette);
  edit->setFixedHeight(22);
  return edit;
}

QFrame* RaisedPanel(QWidget* parent) {
  auto* panel = new QFrame(parent);
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setFixedHeight(kPanelHeight);
  return panel;
}

}  // namespace

const QString TForm2::kAllFilesFilter = QStringLiteral("All Files|*.*");
const QString TForm2::kParvexFilesFilter = QStringLiteral("Parvex Files|*.PX|All Files|*.*");

void TForm2::CreateControls() {
  // Single fixed border with only the system menu. Not with CustomizeWindowHint:
  // Qt then drops the frameless hint that the caption bar needs.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(kClientWidth, kClientHeight);
  const QColor face = ButtonFaceGray();
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, face);
  palette.setColor(QPalette::Button, face);
  // The style's disabled text is nearly the gray itself; the classic dark gray reads.
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
    palette.setColor(QPalette::Disabled, role, QColor(128, 128, 128));
  setPalette(palette);

  auto* outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  Panel2 = new QFrame(this);
  Panel2->setObjectName(QStringLiteral("Panel2"));
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel2->setFont(BoldArial(12));
  outer->addWidget(Panel2);

  auto* inside = new QVBoxLayout(Panel2);
  inside->setContentsMargins(1, 1, 1, 1);
  inside->setSpacing(0);
  PageControl1 = new QTabWidget(Panel2);
  PageControl1->tabBar()->setAttribute(Qt::WA_Hover);  // hot-tracked tabs
  inside->addWidget(PageControl1, 1);

  Panel3 = new QFrame(Panel2);
  Panel3->setFixedHeight(kProgressPanelHeight);
  auto* barLayout = new QHBoxLayout(Panel3);
  barLayout->setContentsMargins(0, 0, 0, 0);
  ProgressBar1 = new QProgressBar(Panel3);
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setVisible(false);  // shown by the first progress report below 100
  barLayout->addWidget(ProgressBar1);
  inside->addWidget(Panel3);

  CreateSplitPage();
  CreateJoinPage();
  PageControl1->setCurrentWidget(Split);

  MSOfficeCaption1 = new TMSOfficeCaption(this);
  MSOfficeCaption1->companyText()->setFontKind(Wordcap::fkSystemBI);
  MSOfficeCaption1->appNameText()->setFontKind(Wordcap::fkSystemB);
  MSOfficeCaption1->captionText()->setFontKind(Wordcap::fkSystem);
  MSOfficeCaption1->captionText()->setColorActive(Qt::red);
  MSOfficeCaption1->captionText()->setCaption(QStringLiteral("Join && Split"));
  MSOfficeCaption1->setColor(Qt::blue);
  MSOfficeCaption1->setEnabled(Wordcap::geAlways);
  MSOfficeCaption1->setJustification(Wordcap::jCenter);
}

void TForm2::CreateSplitPage() {
  Split = new QWidget;
  Split->setAutoFillBackground(true);  // the style's lighter pane would frame the buttons' faces
  PageControl1->addTab(Split, QStringLiteral("Split"));
  auto* page = new QVBoxLayout(Split);
  page->setContentsMargins(0, 0, 0, 0);
  page->setSpacing(0);

  auto* grid = new QGridLayout;
  grid->setContentsMargins(8, 6, 8, 6);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  SpeedButton1 = GlyphButton(Split, QStringLiteral(":/split/AddFiles.png"), QStringLiteral("Add Files To Archive"));
  SpeedButton2 =
      GlyphButton(Split, QStringLiteral(":/split/DeleteFiles.png"), QStringLiteral("Delete Files From Archive"));
  RxLabel1 = new QLabel(QStringLiteral("Comment:"), Split);
  Edit2 = RedEdit(Split);
  RxLabel1->setBuddy(Edit2);
  BriskButton11 = PushButton(Split, QStringLiteral("Execute"));
  BriskButton12 = PushButton(Split, QStringLiteral("Close"));
  grid->addWidget(SpeedButton1, 0, 0);
  grid->addWidget(SpeedButton2, 0, 1);
  grid->addWidget(RxLabel1, 0, 2);
  grid->addWidget(Edit2, 0, 3);
  grid->addWidget(BriskButton11, 0, 4);
  grid->addWidget(BriskButton12, 0, 5);

  RxLabel2 = new QLabel(QStringLiteral("Volume Size:"), Split);
  Edit3 = RedEdit(Split);
  Edit3->setFixedWidth(90);
  RxLabel2->setBuddy(Edit3);
  RxLabel3 = new QLabel(QStringLiteral("KB"), Split);
  CheckBox1 = new QCheckBox(QStringLiteral("Create ID"), Split);
  auto* sizeRow = new QHBoxLayout;
  sizeRow->setSpacing(6);
  sizeRow->addWidget(Edit3);
  sizeRow->addWidget(RxLabel3);
  sizeRow->addSpacing(24);
  sizeRow->addWidget(CheckBox1);
  sizeRow->addStretch(1);
  SpeedButton3 = new QToolButton(Split);
  SpeedButton3->setText(QStringLiteral("Cancel"));
  SpeedButton3->setIcon(QIcon(QStringLiteral(":/split/Cancel.png")));
  SpeedButton3->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  SpeedButton3->setAutoRaise(true);
  SpeedButton3->setCursor(Qt::PointingHandCursor);
  SpeedButton3->setFixedSize(kPushButtonWidth, 28);
  SpeedButton3->setEnabled(false);
  grid->addWidget(RxLabel2, 1, 2);
  grid->addLayout(sizeRow, 1, 3);
  grid->addWidget(SpeedButton3, 1, 4, Qt::AlignHCenter);
  grid->setColumnStretch(3, 1);
  page->addLayout(grid);
  page->addStretch(1);

  TextListBox1 = new TTextListBox(Split);
  TextListBox1->setItemHeight(kItemHeight);
  TextListBox1->setFixedHeight(kListHeight);
  page->addWidget(TextListBox1);
}

void TForm2::CreateJoinPage() {
  Join = new QWidget;
  Join->setAutoFillBackground(true);
  PageControl1->addTab(Join, QStringLiteral("Join"));
  auto* page = new QVBoxLayout(Join);
  page->setContentsMargins(0, 0, 0, 0);
  page->setSpacing(0);

  Panel1 = RaisedPanel(Join);
  auto* top = new QHBoxLayout(Panel1);
  top->setContentsMargins(8, 4, 8, 4);
  BriskButton13 = PushButton(Panel1, QStringLiteral("Open..."));
  top->addWidget(BriskButton13);
  top->addStretch(1);
  page->addWidget(Panel1);

  auto* middle = new QHBoxLayout;
  middle->setContentsMargins(6, 4, 6, 4);
  middle->setSpacing(6);
  GroupBox1 = new QGroupBox(QStringLiteral("Info"), Join);
  GroupBox1->setFixedWidth(236);
  auto* info = new QVBoxLayout(GroupBox1);
  info->setContentsMargins(8, 4, 8, 6);
  info->setSpacing(3);
  Image1 = new QLabel(GroupBox1);
  // The icon finds the picture drawn at twice its size (@2x) for a scaled screen.
  Image1->setPixmap(QIcon(QStringLiteral(":/split/Image1.png")).pixmap(QSize(200, 200), qApp->devicePixelRatio()));
  Image1->setFixedSize(200, 200);
  Image1->setAlignment(Qt::AlignCenter);
  info->addWidget(Image1, 0, Qt::AlignHCenter);
  RxLabel4 = new QLabel(QStringLiteral("Comment:"), GroupBox1);
  info->addWidget(RxLabel4);
  Edit4 = new QLabel(GroupBox1);
  Edit4->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Edit4->setFixedHeight(22);
  Edit4->setTextFormat(Qt::PlainText);
  Edit4->setTextInteractionFlags(Qt::TextSelectableByMouse);
  info->addWidget(Edit4);
  info->addStretch(1);
  middle->addWidget(GroupBox1);

  GroupBox2 = new QGroupBox(QStringLiteral("Options"), Join);
  auto* options = new QVBoxLayout(GroupBox2);
  options->setContentsMargins(10, 6, 10, 6);
  options->setSpacing(6);
  CheckBox2 = new QCheckBox(QStringLiteral("Restore full path"), GroupBox2);
  options->addWidget(CheckBox2);
  options->addSpacing(6);
  RxLabel5 = new QLabel(QStringLiteral("Restore To:"), GroupBox2);
  options->addWidget(RxLabel5);
  dir1 = new TDirectoryEdit(GroupBox2);
  RxLabel5->setBuddy(dir1);
  options->addWidget(dir1);
  options->addSpacing(10);
  RadioButton7 = new QRadioButton(QStringLiteral("Restore All"), GroupBox2);
  RadioButton8 = new QRadioButton(QStringLiteral("Restore existing"), GroupBox2);
  RadioButton9 = new QRadioButton(QStringLiteral("Restore Newer"), GroupBox2);
  RadioButton10 = new QRadioButton(QStringLiteral("Restore widthout overwrite"), GroupBox2);
  for (QRadioButton* radio : {RadioButton7, RadioButton8, RadioButton9, RadioButton10}) {
    radio->setChecked(false);
    options->addWidget(radio);
  }
  options->addStretch(1);
  middle->addWidget(GroupBox2, 1);
  page->addLayout(middle, 1);

  Panel4 = RaisedPanel(Join);
  auto* bottom = new QHBoxLayout(Panel4);
  bottom->setContentsMargins(8, 4, 8, 4);
  BriskButton14 = PushButton(Panel4, QStringLiteral("Join!"));
  bottom->addStretch(1);
  bottom->addWidget(BriskButton14);
  page->addWidget(Panel4);
}

void TForm2::ConnectHandlers() {
  connect(SpeedButton1, &QToolButton::clicked, this, &TForm2::SpeedButton1Click);
  connect(SpeedButton2, &QToolButton::clicked, this, &TForm2::SpeedButton2Click);
  connect(BriskButton11, &TBriskButton1::clicked, this, &TForm2::BriskButton11Click);
  connect(SpeedButton3, &QToolButton::clicked, this, &TForm2::SpeedButton3Click);
  connect(BriskButton12, &TBriskButton1::clicked, this, &TForm2::BriskButton12Click);
  connect(BriskButton13, &TBriskButton1::clicked, this, &TForm2::BriskButton13Click);
  connect(BriskButton14, &TBriskButton1::clicked, this, &TForm2::BriskButton14Click);
  connect(TextListBox1, &TTextListBox::filesDropped, this, &TForm2::AddFiles);
  TextListBox1->installEventFilter(this);
}

void TForm2::SetTabOrder() {
  // Page by page, each from top to bottom and left to right; Qt passes over
  // the controls of the page that is not shown and those switched off.
  const QList<QWidget*> order = {PageControl1,
                                 SpeedButton1, SpeedButton2, Edit2, BriskButton11, BriskButton12,
                                 Edit3, CheckBox1, SpeedButton3, TextListBox1,
                                 BriskButton13, CheckBox2, dir1, dir1->browseButton(),
                                 RadioButton7, RadioButton8, RadioButton9, RadioButton10, BriskButton14};
  for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
}

void TForm2::SetupEngine() {
  BF1.SetVersion("1.30");
  BF1.SetBackupMode(parvex::bmAll);
  BF1.RestoreMode = parvex::rmAll;
  BF1.MaxSize = 0;
  BF1.SetArchiveFlag = true;
  BF1.OnProgress = [this](parvex::TBackupFile& sender, const std::string& filename, parvex::TPercentage percent,
                          bool& Continue) { BF1Progress(sender, filename, percent, Continue); };
  BF1.OnNeedDisk = [this](parvex::TBackupFile& sender, std::uint16_t diskId, bool& Continue) {
    BF1NeedDisk(sender, diskId, Continue);
  };
  BF1.RestoreFullPath = false;
  BF1.SaveFileID = false;
  BF1.ProcessMessages = [] { QCoreApplication::processEvents(); };
  // A further volume that is absent: the engine's own question, OK or Cancel.
  BF1.AskForVolume = [this](const parvex::TVolumeRequest& request) {
    const QString text = (request.purpose == parvex::vpWrite ? QStringLiteral("Por favor, insira o disco %1")
                                                             : QStringLiteral("Please insert disk %1"))
                             .arg(request.diskId);
    return Dialogs()->MessageBox(this, text, TDialogs::miInformation, TDialogs::mbOKCancel) == TDialogs::idOk;
  };
  BF1.Warning = [this](const std::string& text) { warnings_ << QString::fromLocal8Bit(text); };
}
