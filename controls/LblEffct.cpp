// TLabelEffect: properties, the style and colour presets, and the mouse rules
// of the as-button mode. The painting lives in LblEffctPaint.cpp.
#include "controls/LblEffct.h"

#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <numbers>

namespace parvex {
namespace {

// Design face -> the installed face with the same metrics.
constexpr const char* kFontSubstitutes[][2] = {
    {"Times New Roman", "Liberation Serif"},
};

constexpr Qt::KeyboardModifiers kShiftKeys = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;

}  // namespace

void TLabelEffect::installFontSubstitutes() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const auto& pair : kFontSubstitutes)
      QFont::insertSubstitution(QString::fromLatin1(pair[0]), QString::fromLatin1(pair[1]));
  });
}

TLabelEffect::TSchemeColours TLabelEffect::builtInScheme(TColourScheme scheme) {
  switch (scheme) {
    case csText:
      return {QColor(255, 255, 255), QColor(128, 128, 128), QColor(0, 0, 0)};
    case csEmbossed:
      return {QColor(255, 255, 255), QColor(0, 0, 0), QColor(192, 192, 192)};
    case csGold:
      return {QColor(255, 255, 0), QColor(0, 0, 0), QColor(128, 128, 0)};
    case csSteel:
      return {QColor(0, 255, 255), QColor(0, 0, 128), QColor(0, 128, 128)};
    case csCustom:
    case csWindows:
      break;
  }
  return {QColor(255, 255, 255), QColor(0, 0, 0), QColor(128, 128, 128)};
}

QPoint TLabelEffect::directionVector(TEffectDirection direction) {
  switch (direction) {
    case edNone: return {0, 0};
    case edUp: return {0, -1};
    case edUpRight: return {1, -1};
    case edRight: return {1, 0};
    case edDownRight: return {1, 1};
    case edDown: return {0, 1};
    case edDownLeft: return {-1, 1};
    case edLeft: return {-1, 0};
    case edUpLeft: return {-1, -1};
  }
  return {0, 0};
}

TLabelEffect::TLabelEffect(QWidget* parent) : QWidget(parent) {
  installFontSubstitutes();
  for (int s = csCustom; s <= csSteel; ++s) schemes_[s] = builtInScheme(static_cast<TColourScheme>(s));
  colourHighlight_ = QColor(255, 255, 255);
  colourShadow_ = QColor(0, 0, 0);
  // The gradient starts where the font colour stood before the label chose
  // its own: the system's window-text colour.
  graduateFrom_ = palette().color(QPalette::WindowText);
  fontColor_ = schemes_[csWindows].face;
  QFont face(QStringLiteral("Times New Roman"));
  face.setPointSize(20);
  setFont(face);
  resize(kDefaultWidth, kDefaultHeight);
  // Moves without a button raise OnMouseMove too, as on any control.
  setMouseTracking(true);
}

void TLabelEffect::repaint() {
  update();
  emit changed();
}

void TLabelEffect::setDepthHighlight(int depth) {
  depth = std::clamp(depth, 0, kMaxDepth);
  if (depth == depthHighlight_) return;
  depthHighlight_ = depth;
  if (!changingStyle_) setEffectStyle(esCustom);
  repaint();
}

void TLabelEffect::setDepthShadow(int depth) {
  depth = std::clamp(depth, 0, kMaxDepth);
  if (depth == depthShadow_) return;
  depthShadow_ = depth;
  if (!changingStyle_) setEffectStyle(esCustom);
  repaint();
}

void TLabelEffect::setDirectionHighlight(TEffectDirection direction) {
  if (direction == directionHighlight_) return;
  directionHighlight_ = direction;
  if (!changingStyle_) setEffectStyle(esCustom);
  repaint();
}

void TLabelEffect::setDirectionShadow(TEffectDirection direction) {
  if (direction == directionShadow_) return;
  directionShadow_ = direction;
  if (!changingStyle_) setEffectStyle(esCustom);
  repaint();
}

void TLabelEffect::setColourHighlight(const QColor& colour) {
  if (colour == colourHighlight_) return;
  colourHighlight_ = colour;
  schemes_[csCustom].highlight = colour;
  if (!changingScheme_) setColourScheme(csCustom);
  repaint();
}

void TLabelEffect::setColourShadow(const QColor& colour) {
  if (colour == colourShadow_) return;
  colourShadow_ = colour;
  schemes_[csCustom].shadow = colour;
  if (!changingScheme_) setColourScheme(csCustom);
  repaint();
}

void TLabelEffect::setGraduateFace(TGraduateOption option) {
  if (option == graduateFace_) return;
  graduateFace_ = option;
  repaint();
}

void TLabelEffect::setGraduateFrom(const QColor& colour) {
  if (colour == graduateFrom_) return;
  graduateFrom_ = colour;
  if (graduateFace_ != goNone) update();
  emit changed();
}

void TLabelEffect::setStyleHighlight(TEffectOption option) {
  if (option == styleHighlight_) return;
  styleHighlight_ = option;
  repaint();
}

void TLabelEffect::setStyleShadow(TEffectOption option) {
  if (option == styleShadow_) return;
  styleShadow_ = option;
  repaint();
}

void TLabelEffect::setEffectStyle(TEffectStyle style) {
  if (style == effectStyle_) return;
  changingStyle_ = true;
  changingScheme_ = true;
  effectStyle_ = style;
  setColourHighlight(schemes_[colourScheme_].highlight);
  auto place = [this](TEffectDirection highlight, TEffectDirection shadow, int depthHighlight, int depthShadow) {
    setDirectionHighlight(highlight);
    setDirectionShadow(shadow);
    setDepthHighlight(depthHighlight);
    setDepthShadow(depthShadow);
  };
  switch (style) {
    case esNone:
      place(edNone, edNone, 0, 0);
      setAsButton(false);
      break;
    case esCustom:
      setAsButton(false);
      break;
    case esRaised:
      place(edUpLeft, edDownRight, 1, 1);
      break;
    case esSunken:
      place(edDownRight, edUpLeft, 1, 1);
      break;
    case esShadow:
      place(edNone, edDownRight, 0, 2);
      setAsButton(false);
      break;
    case esFlying:
      place(edDownRight, edDownRight, 1, 5);
      setColourHighlight(schemes_[colourScheme_].shadow);
      setAsButton(false);
      break;
  }
  changingStyle_ = false;
  changingScheme_ = false;
  repaint();
}

void TLabelEffect::setColourScheme(TColourScheme scheme) {
  if (scheme == colourScheme_) return;
  changingScheme_ = true;
  colourScheme_ = scheme;
  const TSchemeColours row = schemes_[scheme];
  setColourHighlight(row.highlight);
  setFontColor(row.face);
  setColourShadow(row.shadow);
  if (scheme != csCustom) schemes_[csCustom] = row;
  changingScheme_ = false;
  repaint();
}

void TLabelEffect::setAsButton(bool asButton) {
  if (asButton == asButton_) return;
  asButton_ = asButton;
  if (asButton) setEffectStyle(esRaised);
  emit changed();
}

void TLabelEffect::setAngle(int angle) {
  angle = std::clamp(angle, 0, kMaxAngle);
  if (angle == angle_) return;
  angle_ = angle;
  const double radians = angle * (std::numbers::pi / 180.0);
  cosAngle_ = std::cos(radians);
  sinAngle_ = std::sin(radians);
  cosSquared_ = cosAngle_ * cosAngle_;
  sinSquared_ = sinAngle_ * sinAngle_;
  if (angle != 0) setAlignment(taLeftJustify);
  repaint();
}

void TLabelEffect::setKeepLettersVertical(bool keep) {
  if (keep == keepLettersVertical_) return;
  keepLettersVertical_ = keep;
  if (angle_ != 0) update();
  emit changed();
}

void TLabelEffect::setCaption(const QString& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  updateShortcut();
  repaint();
}

void TLabelEffect::setAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  repaint();
}

void TLabelEffect::setTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  repaint();
}

void TLabelEffect::setWordWrap(bool wrap) {
  if (wrap == wordWrap_) return;
  wordWrap_ = wrap;
  repaint();
}

void TLabelEffect::setShowAccelChar(bool show) {
  if (show == showAccelChar_) return;
  showAccelChar_ = show;
  updateShortcut();
  repaint();
}

void TLabelEffect::setFocusControl(QWidget* control) {
  if (control == focusControl_) return;
  focusControl_ = control;
  emit changed();
}

QColor TLabelEffect::color() const { return color_.isValid() ? color_ : palette().color(QPalette::Window); }

void TLabelEffect::setColor(const QColor& colour) {
  if (colour == color_) return;
  color_ = colour;
  repaint();
}

void TLabelEffect::setFontColor(const QColor& colour) {
  if (colour == fontColor_) return;
  fontColor_ = colour;
  repaint();
}

void TLabelEffect::paintEvent(QPaintEvent*) {
  const int ratio = std::max(1, qRound(devicePixelRatioF()));
  // Over whatever the parent (and the controls beneath) painted here.
  QPainter(this).drawImage(0, 0, render(QImage(), ratio));
}

// Inside the client area, its right and bottom edges included.
bool TLabelEffect::insideInclusive(QPoint at) const {
  return at.x() >= 0 && at.x() <= width() && at.y() >= 0 && at.y() <= height();
}

void TLabelEffect::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton) clickPending_ = true;
  MouseDown(event->button(), event->modifiers(), event->position().toPoint(), false);
}

void TLabelEffect::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  // The release that follows a double click is no click of its own.
  clickPending_ = false;
  QPointer<TLabelEffect> self(this);
  if (event->button() == Qt::LeftButton) emit OnDblClick(this);
  if (self) MouseDown(event->button(), event->modifiers(), event->position().toPoint(), true);
}

void TLabelEffect::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  MouseMove(event->buttons(), event->modifiers(), event->position().toPoint());
}

void TLabelEffect::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  const QPoint at = event->position().toPoint();
  QPointer<TLabelEffect> self(this);
  // The click comes first, then the release handler, as on any control.
  if (event->button() == Qt::LeftButton && clickPending_) {
    clickPending_ = false;
    if (rect().contains(at)) emit OnClick(this);
  }
  if (self) MouseUp(event->button(), event->modifiers(), at);
}

void TLabelEffect::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at, bool) {
  if (!asButton_) {
    emit OnMouseDown(this, button, shift, at.x(), at.y());
    return;
  }
  if (button == Qt::LeftButton && effectStyle_ != esSunken && isEnabled()) setEffectStyle(esSunken);
}

void TLabelEffect::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPoint at) {
  if (!asButton_) {
    emit OnMouseMove(this, shift, at.x(), at.y());
    return;
  }
  // Only a drag with the left button alone moves the caption in and out.
  if (buttons != Qt::LeftButton || (shift & kShiftKeys)) return;
  setEffectStyle(insideInclusive(at) ? esSunken : esRaised);
}

void TLabelEffect::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
  if (!asButton_) {
    emit OnMouseUp(this, button, shift, at.x(), at.y());
    return;
  }
  if (insideInclusive(at)) setEffectStyle(esRaised);
}

void TLabelEffect::updateShortcut() {
  if (shortcutId_ != 0) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  if (!showAccelChar_) return;
  const QKeySequence mnemonic = QKeySequence::mnemonic(caption_);
  if (!mnemonic.isEmpty()) shortcutId_ = grabShortcut(mnemonic);
}

bool TLabelEffect::event(QEvent* event) {
  if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_ &&
      shortcutId_ != 0) {
    if (focusControl_ && isEnabled() && focusControl_->isEnabled() && focusControl_->isVisible())
      focusControl_->setFocus(Qt::ShortcutFocusReason);
    return true;
  }
  return QWidget::event(event);
}

}  // namespace parvex
