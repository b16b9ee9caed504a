// TMSOfficeCaption and its text parts: properties, the form's title, fonts
// and colours, and how the component takes over the form's frame and gives
// it back.

#include "controls/Wordcap.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QStyle>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "controls/WordcapBar.h"
#include "base/Exception.h"

namespace {

// The form's flags with the frame taken away. Qt puts the frame back on a
// window whose customised flags ask for a close button (and so would the
// Show handler, for ever); without the customise hint the flags stay as set.
Qt::WindowFlags FramelessFlags(Qt::WindowFlags designFlags) {
  return (designFlags & ~Qt::CustomizeWindowHint) | Qt::FramelessWindowHint;
}

}  // namespace

// ---- text parts ----

TCompanyText::TCompanyText(TMSOfficeCaption* owner)
    : QObject(owner), owner_(owner), font_(owner->captionFont()) {}

void TCompanyText::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  owner_->composeFormCaption();
  emit changed();
}

QColor TCompanyText::colorActive() const {
  return colorActive_.isValid() ? colorActive_ : TMSOfficeCaption::systemCaptionColours().activeText;
}

void TCompanyText::setColorActive(const QColor& colour) {
  if (colour == colorActive_) return;
  colorActive_ = colour;
  emit changed();
}

QColor TCompanyText::colorInactive() const {
  return colorInactive_.isValid() ? colorInactive_
                                  : TMSOfficeCaption::systemCaptionColours().inactiveText;
}

void TCompanyText::setColorInactive(const QColor& colour) {
  if (colour == colorInactive_) return;
  colorInactive_ = colour;
  emit changed();
}

void TCompanyText::setFont(const QFont& font) {
  if (font == font_ && fontKind_ == Wordcap::fkCustom) return;
  font_ = font;
  if (fontKind_ == Wordcap::fkAutoHeight)
    applyFontKind();
  else
    fontKind_ = Wordcap::fkCustom;
  emit changed();
}

void TCompanyText::setFontKind(Wordcap::TFontKind kind) {
  if (kind == fontKind_) return;
  fontKind_ = kind;
  applyFontKind();
  emit changed();
}

void TCompanyText::setVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  owner_->composeFormCaption();
  emit changed();
}

void TCompanyText::applyFontKind() {
  QFont system = owner_->captionFont();
  switch (fontKind_) {
    case Wordcap::fkCustom:
      return;
    case Wordcap::fkSystem:
      break;
    case Wordcap::fkSystemI:
      system.setItalic(true);
      break;
    case Wordcap::fkSystemB:
      system.setBold(true);
      break;
    case Wordcap::fkSystemBI:
      system.setBold(true);
      system.setItalic(true);
      break;
    case Wordcap::fkAutoHeight: {
      // Same letter height as the caption font, and never a taller line.
      QFont adjusted = font_;
      const int pixels = QFontInfo(system).pixelSize();
      adjusted.setPixelSize(pixels);
      const int excess = QFontMetrics(adjusted).height() - QFontMetrics(system).height();
      if (excess > 0) adjusted.setPixelSize(qMax(1, pixels - excess));
      font_ = adjusted;
      return;
    }
  }
  font_ = system;
}

QString TCaptionText::caption() const {
  const QWidget* form = owner_->form();
  if (!form) return QString();
  // A hidden caption is not in the title: there is nothing to recover it from.
  if (!isVisible()) return storedCaption();
  return Wordcap::deriveCaption(form->windowTitle(), owner_->parts());
}

// ---- the component ----

TMSOfficeCaption::TCaptionColours TMSOfficeCaption::systemCaptionColours() {
  // Qt knows no caption colours; the selection colours play that part, and
  // the inactive bar takes the palette's dark gray with light text.
  const QPalette palette = QGuiApplication::palette();
  return {palette.color(QPalette::Active, QPalette::Highlight),
          palette.color(QPalette::Inactive, QPalette::Dark),
          palette.color(QPalette::Active, QPalette::HighlightedText),
          palette.color(QPalette::Inactive, QPalette::Light)};
}

QFont TMSOfficeCaption::systemCaptionFont() {
  const QFont title = QFontDatabase::systemFont(QFontDatabase::TitleFont);
  QFont font(title.family());
  if (title.pixelSize() > 0)
    font.setPixelSize(title.pixelSize());
  else
    font.setPointSizeF(title.pointSizeF());
  font.setItalic(title.italic());
  font.setBold(title.weight() > QFont::Medium);
  return font;
}

QWidget* TMSOfficeCaption::requireForm(QWidget* widget) {
  if (!widget || !widget->isWindow()) throw parvex::Exception("Invalid class typecast");
  return widget;
}

TMSOfficeCaption::TMSOfficeCaption(QWidget* form)
    : QObject(requireForm(form)), form_(form), captionFont_(systemCaptionFont()) {
  connect(form, &QObject::destroyed, this, [this] { formDying_ = true; });
  company_ = new TCompanyText(this);
  appName_ = new TAppNameText(this);
  caption_ = new TCaptionText(this);
  for (TCompanyText* part : {company_, static_cast<TCompanyText*>(appName_),
                             static_cast<TCompanyText*>(caption_)})
    connect(part, &TCompanyText::changed, this, &TMSOfficeCaption::repaintBar);
  takeOverFrame();
  form->installEventFilter(this);
}

TMSOfficeCaption::~TMSOfficeCaption() {
  if (!form_ || formDying_) return;
  form_->removeEventFilter(this);
  const QString caption = caption_->caption();
  giveBackFrame();
  form_->setWindowTitle(caption);
}

void TMSOfficeCaption::takeOverFrame() {
  designFlags_ = form_->windowFlags();
  borderNone_ = designFlags_.testFlag(Qt::FramelessWindowHint);
  if (borderNone_) return;
  const QFontMetrics metrics(captionFont_);
  barHeight_ = std::max({18, form_->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, form_),
                     metrics.height() + 4});
  const bool wasVisible = form_->isVisible();
  form_->setWindowFlags(FramelessFlags(designFlags_));
  QMargins margins = form_->contentsMargins();
  margins.setTop(margins.top() + barHeight_);
  form_->setContentsMargins(margins);
  // The client area keeps its size; the form grows by the bar.
  if (form_->maximumHeight() < QWIDGETSIZE_MAX) form_->setMaximumHeight(form_->maximumHeight() + barHeight_);
  if (form_->minimumHeight() > 0) form_->setMinimumHeight(form_->minimumHeight() + barHeight_);
  if (form_->testAttribute(Qt::WA_Resized)) form_->resize(form_->width(), form_->height() + barHeight_);
  bar_ = new TCaptionBarWidget(this, form_);
  bar_->setGeometry(0, 0, form_->width(), barHeight_);
  bar_->show();
  bar_->raise();
  if (wasVisible) form_->show();
}

void TMSOfficeCaption::giveBackFrame() {
  if (borderNone_) return;
  delete bar_;
  const bool wasVisible = form_->isVisible();
  form_->setWindowFlags(designFlags_);
  QMargins margins = form_->contentsMargins();
  margins.setTop(qMax(0, margins.top() - barHeight_));
  form_->setContentsMargins(margins);
  if (form_->minimumHeight() > 0) form_->setMinimumHeight(qMax(0, form_->minimumHeight() - barHeight_));
  if (form_->maximumHeight() < QWIDGETSIZE_MAX) form_->setMaximumHeight(form_->maximumHeight() - barHeight_);
  if (form_->testAttribute(Qt::WA_Resized)) form_->resize(form_->width(), form_->height() - barHeight_);
  if (wasVisible) form_->show();
}

void TMSOfficeCaption::setColor(const QColor& colour) {
  if (colour == color_) return;
  color_ = colour;
  repaintBar();
  emit colorChanged(color_);
}

void TMSOfficeCaption::setEnabled(Wordcap::TGradEnabled mode) {
  if (mode == enabled_) return;
  enabled_ = mode;
  repaintBar();
  emit enabledChanged(enabled_);
}

void TMSOfficeCaption::setJustification(Wordcap::TJustification justification) {
  if (justification == justification_) return;
  justification_ = justification;
  repaintBar();
  emit justificationChanged(justification_);
}

void TMSOfficeCaption::setNumColors(int count) {
  const int accepted = Wordcap::acceptedNumColors(numColors_, count);
  if (accepted == numColors_) return;
  numColors_ = accepted;
  repaintBar();
  emit numColorsChanged(numColors_);
}

void TMSOfficeCaption::setOnDrawCaption(TOnDrawCaption handler) {
  onDrawCaption_ = std::move(handler);
  repaintBar();
}

bool TMSOfficeCaption::isActive() const {
  if (activationKnown_) return active_;
  return form_ && form_->isActiveWindow();
}

Wordcap::TCaptionParts TMSOfficeCaption::parts() const {
  return {company_->storedCaption(), company_->isVisible(), appName_->storedCaption(),
          appName_->isVisible(),     caption_->storedCaption(), caption_->isVisible()};
}

void TMSOfficeCaption::composeFormCaption() {
  if (form_) form_->setWindowTitle(Wordcap::composeFormCaption(parts()));
}

void TMSOfficeCaption::syncWindowSystemTitle() {
  // The form's caption keeps its ampersands; the task bar and window list
  // show the title as the bar does.
  QWindow* window = form_ ? form_->windowHandle() : nullptr;
  if (!window) return;
  const QString shown = Wordcap::shownText(form_->windowTitle());
  if (window->title() != shown) window->setTitle(shown);
}

void TMSOfficeCaption::reloadCaptionFont() {
  captionFont_ = systemCaptionFont();
  for (TCompanyText* part : {company_, static_cast<TCompanyText*>(appName_),
                             static_cast<TCompanyText*>(caption_)})
    part->applyFontKind();
}

void TMSOfficeCaption::repaintBar() {
  if (bar_) bar_->update();
}

bool TMSOfficeCaption::eventFilter(QObject* watched, QEvent* event) {
  if (watched != form_) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::ActivationChange:
      active_ = form_->isActiveWindow();
      activationKnown_ = true;
      repaintBar();
      break;
    case QEvent::WindowTitleChange:
      syncWindowSystemTitle();
      repaintBar();
      break;
    case QEvent::WinIdChange:
      syncWindowSystemTitle();
      break;
    case QEvent::WindowIconChange:
    case QEvent::WindowStateChange:
      repaintBar();
      break;
    case QEvent::Resize:
      if (bar_) bar_->setGeometry(0, 0, form_->width(), barHeight_);
      break;
    case QEvent::ApplicationFontChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::StyleChange:
      reloadCaptionFont();
      repaintBar();
      break;
    case QEvent::Show:
      // Window flags set after the component took over bring the frame back.
      if (!borderNone_ && !form_->windowFlags().testFlag(Qt::FramelessWindowHint)) {
        designFlags_ = form_->windowFlags();
        QTimer::singleShot(0, this, [this] {
          if (!form_) return;
          const bool wasVisible = form_->isVisible();
          form_->setWindowFlags(FramelessFlags(designFlags_));
          if (wasVisible) form_->show();
        });
      }
      if (bar_) bar_->raise();
      syncWindowSystemTitle();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}
