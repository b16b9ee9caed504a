// The System Information window's description: its components, their
// settings and layout, and which handler each event goes to. The handlers
// live in Un_SysInfo.cpp.
#include <QGridLayout>
#include <QHeaderView>
#include <QPainter>
#include <QSplitter>
#include <QSplitterHandle>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/Wordcap.h"
#include "controls/bi_btns.h"
#include "windows/Panel.h"
#include "windows/Un_SysInfo.h"

namespace {

constexpr int kButtonPanelHeight = 44;
constexpr int kTreeWidth = 265;
constexpr int kSplitterWidth = 3;
constexpr int kStatusBarHeight = 23;
constexpr int kColumnWidth = 200;
constexpr int kTreeIndent = 19;
constexpr int kTimerInterval = 1000;

QFont DesignFont(int pixelSize, bool bold) {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

// A splitter handle without a bevel or grip: only the window's face.
class PlainHandle : public QSplitterHandle {
 public:
  using QSplitterHandle::QSplitterHandle;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), parvex::ToQColor(parvex::clBtnFace));
  }
};

class PlainSplitter : public QSplitter {
 public:
  using QSplitter::QSplitter;

 protected:
  QSplitterHandle* createHandle() override {
    auto* handle = new PlainHandle(orientation(), this);
    handle->setCursor(Qt::SizeHorCursor);
    return handle;
  }
};

parvex::TBI_PlasmaButton* PlasmaButton(QWidget* parent, const char* name, const QString& caption, QRect where) {
  auto* button = new parvex::TBI_PlasmaButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(where);
  button->setCaption(caption);
  button->setFont(DesignFont(13, true));
  button->setFontColor(Qt::red);
  button->setLightColor(parvex::clBtnHighlight);
  button->setShadowColor(parvex::clBtnShadow);
  button->setGrayedInactive(true);
  button->setButtonLayout(parvex::TBI_basebutton::blGlyphLeft);
  button->setGroupIndex(0);
  button->setPaint256(true);
  return button;
}

// The area the items lie on; the header and scroll bars keep the window's colours.
void SetColours(QWidget* widget, const QColor& background, const QColor& text) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Base, background);
  palette.setColor(QPalette::Text, text);
  widget->setPalette(palette);
}

}  // namespace

void TSysInfoForm::CreateControls() {
  setObjectName(QStringLiteral("SysInfoForm"));
  // A single fixed border with only the system menu, as Form2 has it: the
  // caption bar needs the frameless hint that CustomizeWindowHint would drop.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Parvex - System Information"));
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64})
    icon.addFile(QStringLiteral(":/sysinfo/SysInfoForm.Icon-%1.png").arg(size), QSize(size, size));
  setWindowIcon(icon);
  setFont(DesignFont(14, false));
  setFixedSize(kClientWidth, kClientHeight);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  ButtonPanel = new TPanel(this);
  ButtonPanel->setObjectName(QStringLiteral("ButtonPanel"));
  ButtonPanel->setFixedHeight(kButtonPanelHeight);
  ButtonPanel->setColor(Qt::black);
  ButtonPanel->setBevelInner(TPanel::bvLowered);
  layout->addWidget(ButtonPanel);
  SbRefresh = PlasmaButton(ButtonPanel, "SbRefresh", QStringLiteral("Refresh"), QRect(7, 11, 119, 25));
  sbexit = PlasmaButton(ButtonPanel, "sbexit", QStringLiteral("Exit"), QRect(0, 10, 121, 24));

  Splitter1 = new PlainSplitter(Qt::Horizontal, this);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(kSplitterWidth);
  Splitter1->setChildrenCollapsible(false);
  layout->addWidget(Splitter1, 1);

  tvSI = new QTreeWidget(Splitter1);
  tvSI->setObjectName(QStringLiteral("tvSI"));
  tvSI->setHeaderHidden(true);
  tvSI->setColumnCount(1);
  tvSI->setIndentation(kTreeIndent);
  tvSI->setFont(DesignFont(13, true));
  tvSI->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvSI->setSelectionMode(QAbstractItemView::SingleSelection);
  SetColours(tvSI, Qt::white, Qt::black);

  auto* right = new QWidget(Splitter1);
  auto* stack = new QGridLayout(right);
  stack->setContentsMargins(0, 0, 0, 0);
  EmptyPanel = new TPanel(right);
  EmptyPanel->setObjectName(QStringLiteral("EmptyPanel"));
  EmptyPanel->setBevelOuter(TPanel::bvNone);
  EmptyPanel->setFont(DesignFont(15, true));
  EmptyPanel->setFontColor(QColor(0, 0, 128));
  stack->addWidget(EmptyPanel, 0, 0);

  // Added after EmptyPanel, so it lies on top while it is shown.
  lvSI = new QTreeWidget(right);
  lvSI->setObjectName(QStringLiteral("lvSI"));
  lvSI->setColumnCount(2);
  lvSI->setHeaderLabels({QStringLiteral("Parameter"), QStringLiteral("Value")});
  lvSI->header()->setStretchLastSection(false);
  lvSI->header()->setSectionsMovable(false);
  lvSI->setColumnWidth(0, kColumnWidth);
  lvSI->setColumnWidth(1, kColumnWidth);
  lvSI->setRootIsDecorated(false);
  lvSI->setItemsExpandable(false);
  lvSI->setUniformRowHeights(true);
  lvSI->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lvSI->setSelectionMode(QAbstractItemView::SingleSelection);
  lvSI->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvSI->setAllColumnsShowFocus(true);
  lvSI->setFont(DesignFont(13, true));
  lvSI->header()->setFont(font());
  SetColours(lvSI, Qt::black, Qt::white);
  lvSI->setVisible(false);
  stack->addWidget(lvSI, 0, 0);

  Splitter1->setSizes({kTreeWidth, kClientWidth - kTreeWidth - kSplitterWidth});
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);

  SB = new QStatusBar(this);
  SB->setObjectName(QStringLiteral("SB"));
  SB->setSizeGripEnabled(false);
  SB->setFixedHeight(kStatusBarHeight);
  layout->addWidget(SB);

  Timer = new QTimer(this);
  Timer->setObjectName(QStringLiteral("Timer"));
  Timer->setInterval(kTimerInterval);
  Timer->start();

  CreateCaption();
}

void TSysInfoForm::CreateCaption() {
  MSOfficeCaption1 = new TMSOfficeCaption(this);
  MSOfficeCaption1->setObjectName(QStringLiteral("MSOfficeCaption1"));
  TAppNameText* appName = MSOfficeCaption1->appNameText();
  appName->setCaption(QStringLiteral("Parvex -"));
  appName->setColorActive(Qt::yellow);
  appName->setColorInactive(Qt::green);  // lime
  appName->setFontKind(Wordcap::fkSystemB);
  appName->setVisible(true);
  TCaptionText* caption = MSOfficeCaption1->captionText();
  caption->setCaption(QStringLiteral("System Information"));
  caption->setColorActive(Qt::green);
  caption->setColorInactive(Qt::yellow);
  caption->setFontKind(Wordcap::fkSystem);
  caption->setVisible(true);
  TCompanyText* company = MSOfficeCaption1->companyText();
  company->setCaption(QString());
  company->setFontKind(Wordcap::fkSystemBI);
  company->setVisible(true);
  MSOfficeCaption1->setColor(Qt::red);
  MSOfficeCaption1->setEnabled(Wordcap::geAlways);
  MSOfficeCaption1->setJustification(Wordcap::jLeft);
}

void TSysInfoForm::ConnectHandlers() {
  connect(ButtonPanel, &TPanel::OnResize, this, &TSysInfoForm::ButtonPanelResize);
  connect(SbRefresh, &parvex::TBI_basebutton::OnClick, this, &TSysInfoForm::SbRefreshClick);
  connect(sbexit, &parvex::TBI_basebutton::OnClick, this, &TSysInfoForm::sbexitClick);
  connect(tvSI, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { cmGetItemData(current); });
  tvSI->installEventFilter(this);
  connect(Timer, &QTimer::timeout, this, &TSysInfoForm::TimerTimer);
}
