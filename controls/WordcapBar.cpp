// Painting of the gradient caption bar (gradient, icon, caption buttons and
// the three text parts) and the strip widget that shows it on the form.

#include "controls/WordcapBar.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <QWhatsThis>
#include <QWindow>

#include "controls/Wordcap.h"

namespace {

constexpr int kTextFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

bool isToolWindow(Qt::WindowFlags flags) { return (flags & Qt::WindowType_Mask) == Qt::Tool; }

// A caption button as the classic frame-control drawing shows it: a raised
// (or, held down, sunken) face with its symbol, embossed when it does not work.
void drawCaptionButton(QPainter& p, const QRect& r, TCaptionBarWidget::TCaptionButton kind,
                       bool restoreFace, bool pressed, bool disabled) {
  const QPalette pal = QGuiApplication::palette();
  const QColor face = pal.color(QPalette::Button), highlight = pal.color(QPalette::Light),
               light = pal.color(QPalette::Midlight), shadow = pal.color(QPalette::Dark),
               dark = pal.color(QPalette::Shadow);
  p.fillRect(r, face);
  auto edge = [&](const QRect& e, const QColor& topLeft, const QColor& bottomRight) {
    p.fillRect(QRect(e.left(), e.top(), e.width() - 1, 1), topLeft);
    p.fillRect(QRect(e.left(), e.top(), 1, e.height() - 1), topLeft);
    p.fillRect(QRect(e.left(), e.bottom(), e.width(), 1), bottomRight);
    p.fillRect(QRect(e.right(), e.top(), 1, e.height()), bottomRight);
  };
  const QRect inner = r.adjusted(1, 1, -1, -1);
  if (pressed) {
    edge(r, dark, highlight);
    edge(inner, shadow, light);
  } else {
    edge(r, light, dark);
    edge(inner, highlight, shadow);
  }
  const QRect area = r.adjusted(2, 2, -2, -2).translated(pressed ? 1 : 0, pressed ? 1 : 0);
  const int s = qMax(4, qMin(area.width(), area.height()) * 2 / 3);
  const QRect box(area.center().x() - s / 2 + 1, area.center().y() - s / 2 + 1, s, s);

  auto symbol = [&](const QColor& ink, int shift) {
    const QRect b = box.translated(shift, shift);
    // A window outline with a thick title edge, over the face.
    auto window = [&](const QRect& w) {
      p.fillRect(w, face);
      p.fillRect(QRect(w.left(), w.top(), w.width(), 2), ink);
      p.fillRect(QRect(w.left(), w.top(), 1, w.height()), ink);
      p.fillRect(QRect(w.right(), w.top(), 1, w.height()), ink);
      p.fillRect(QRect(w.left(), w.bottom(), w.width(), 1), ink);
    };
    p.setPen(Qt::NoPen);
    switch (kind) {
      case TCaptionBarWidget::cbClose:
        p.setPen(QPen(ink, 1));
        for (int i = 0; i < s - 1; ++i) {
          p.drawLine(b.left() + i, b.top() + i, b.left() + i + 1, b.top() + i);
          p.drawLine(b.right() - 1 - i, b.top() + i, b.right() - i, b.top() + i);
        }
        break;
      case TCaptionBarWidget::cbMinimize:
        p.fillRect(QRect(b.left() + 1, b.bottom() - 2, s * 2 / 3, 2), ink);
        break;
      case TCaptionBarWidget::cbMaximize:
        if (restoreFace) {
          // Two overlapping windows.
          const int w = s * 2 / 3;
          for (const QPoint& o : {QPoint(s - w, 0), QPoint(0, s - w)}) window(QRect(b.topLeft() + o, QSize(w, w)));
        } else {
          window(b);
        }
        break;
      case TCaptionBarWidget::cbNone:
        break;
      case TCaptionBarWidget::cbHelp: {
        QFont font = p.font();
        font.setBold(true);
        font.setPixelSize(s + 2);
        p.setFont(font);
        p.setPen(ink);
        p.drawText(b.adjusted(-2, -2, 2, 2), Qt::AlignCenter, QStringLiteral("?"));
        break;
      }
    }
  };
  if (disabled) {
    symbol(highlight, 1);
    symbol(shadow, 0);
  } else {
    symbol(pal.color(QPalette::ButtonText), 0);
  }
}

}  // namespace

Wordcap::TButtonSet TMSOfficeCaption::buttons() const {
  Wordcap::TButtonSet set;
  if (borderNone_) {
    set.close = false;
    return set;
  }
  if (isToolWindow(designFlags_)) return set;
  const bool minimize = designFlags_.testFlag(Qt::WindowMinimizeButtonHint);
  const bool maximize = designFlags_.testFlag(Qt::WindowMaximizeButtonHint);
  // Either icon brings both buttons; the missing one is drawn not working.
  set.minimize = set.maximize = minimize || maximize;
  set.help = designFlags_.testFlag(Qt::WindowContextHelpButtonHint) && !minimize && !maximize;
  return set;
}

Wordcap::TBarLayout TMSOfficeCaption::barLayout() const {
  if (!form_ || borderNone_) return {};
  const int icon = qMin(barHeight_ - 2, form_->style()->pixelMetric(QStyle::PM_SmallIconSize));
  return Wordcap::layoutBar(QSize(form_->width(), barHeight_), buttons(), barHeight_,
                            !isToolWindow(designFlags_), QSize(icon, icon));
}

QImage TMSOfficeCaption::renderBar(bool active, qreal pixelRatio) {
  if (!form_ || borderNone_ || barHeight_ <= 0) return QImage();
  QImage image(QSize(qMax(1, form_->width()), barHeight_) * pixelRatio, QImage::Format_RGB32);
  image.setDevicePixelRatio(pixelRatio);
  const Wordcap::TBarLayout layout = barLayout();
  const TCaptionColours colours = systemCaptionColours();
  const QColor end = active ? colours.active : colours.inactive;
  const QScreen* screen = form_->screen() ? form_->screen() : QGuiApplication::primaryScreen();
  const int depth = screen ? screen->depth() : 32;

  QPainter p(&image);
  p.fillRect(QRect(0, 0, qMax(1, form_->width()), barHeight_), end);
  // The gradient covers the text room up to the buttons, the icon included.
  const QRect room(0, 0, layout.text.x() + layout.text.width(), barHeight_);
  if (Wordcap::gradientWanted(enabled_, active, depth)) {
    for (const Wordcap::TBand& band :
         Wordcap::gradientBands(room.left(), room.left() + room.width(), color_.rgb(), end.rgb(), numColors_))
      if (band.right > band.left) p.fillRect(QRect(band.left, 0, band.right - band.left, barHeight_), band.colour);
  }

  if (!layout.icon.isEmpty()) {
    QIcon icon = form_->windowIcon();
    if (icon.isNull()) icon = form_->style()->standardIcon(QStyle::SP_TitleBarMenuButton);
    p.drawPixmap(layout.icon.topLeft(), icon.pixmap(layout.icon.size(), pixelRatio));
  }

  const Qt::WindowFlags flags = designFlags_;
  const Qt::WindowStates state = form_->windowState();
  const TCaptionBarWidget::TCaptionButton pressed =
      bar_ ? static_cast<TCaptionBarWidget*>(bar_.data())->pressedButton() : TCaptionBarWidget::cbNone;
  auto button = [&](const QRect& r, TCaptionBarWidget::TCaptionButton kind, bool restore, bool works) {
    if (!r.isEmpty()) drawCaptionButton(p, r, kind, restore, pressed == kind, !works);
  };
  button(layout.close, TCaptionBarWidget::cbClose, false, true);
  button(layout.maximize, TCaptionBarWidget::cbMaximize, state.testFlag(Qt::WindowMaximized),
         flags.testFlag(Qt::WindowMaximizeButtonHint));
  button(layout.minimize, TCaptionBarWidget::cbMinimize, false, flags.testFlag(Qt::WindowMinimizeButtonHint));
  button(layout.help, TCaptionBarWidget::cbHelp, false, true);

  QRect text = layout.text;
  if (onDrawCaption_) {
    p.save();
    p.setFont(captionFont_);
    onDrawCaption_(this, p, text);
    p.restore();
  }

  // The form's title may have been set directly: the bar shows what it says.
  caption_->storeCaption(caption_->caption());

  auto widthOf = [&](const TCompanyText* part) {
    return QFontMetrics(part->font(), &image).size(kTextFlags, part->storedCaption()).width() +
           Wordcap::kPartPadding;
  };
  const Wordcap::TFit fit = Wordcap::fitParts(text.width(), {widthOf(company_), company_->isVisible()},
                                              {widthOf(appName_), appName_->isVisible()},
                                              {widthOf(caption_), caption_->isVisible()});
  int left = text.left() + Wordcap::justifyOffset(justification_, text.width(), fit.total);
  const int right = text.left() + text.width();
  auto draw = [&](const TCompanyText* part) {
    left += Wordcap::kPartPadding;
    const QFontMetrics metrics(part->font(), &image);
    const int space = qMax(0, right - left);
    const QString shown = metrics.elidedText(part->storedCaption(), Qt::ElideRight, space, Qt::TextShowMnemonic);
    p.setFont(part->font());
    p.setPen(active ? part->colorActive() : part->colorInactive());
    p.drawText(QRect(left, text.top(), space, text.height()), Qt::AlignLeft | Qt::AlignVCenter | kTextFlags, shown);
    left += metrics.size(kTextFlags, shown).width();
  };
  if (fit.company && company_->isVisible() && !company_->storedCaption().isEmpty()) draw(company_);
  if (fit.appName && appName_->isVisible() && !appName_->storedCaption().isEmpty()) draw(appName_);
  if (caption_->isVisible()) draw(caption_);
  return image;
}

// ---- the strip on the form ----

TCaptionBarWidget::TCaptionBarWidget(TMSOfficeCaption* owner, QWidget* form)
    : QWidget(form), owner_(owner), form_(form) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Alt+Space opens the window menu, as it does on a window manager's bar.
  auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), form);
  shortcut->setContext(Qt::WindowShortcut);
  connect(shortcut, &QShortcut::activated, this, [this] { openWindowMenu(menuPosition()); });
}

void TCaptionBarWidget::paintEvent(QPaintEvent*) {
  const QImage image = owner_->renderBar(owner_->isActive(), devicePixelRatioF());
  QPainter(this).drawImage(0, 0, image);
}

TCaptionBarWidget::TCaptionButton TCaptionBarWidget::buttonAt(const QPoint& point) const {
  const Wordcap::TBarLayout layout = owner_->barLayout();
  const Qt::WindowFlags flags = form_->windowFlags();
  if (layout.close.contains(point)) return cbClose;
  if (layout.maximize.contains(point) && flags.testFlag(Qt::WindowMaximizeButtonHint)) return cbMaximize;
  if (layout.minimize.contains(point) && flags.testFlag(Qt::WindowMinimizeButtonHint)) return cbMinimize;
  if (layout.help.contains(point)) return cbHelp;
  return cbNone;
}

void TCaptionBarWidget::mousePressEvent(QMouseEvent* event) {
  if (moving_) {
    // A click ends a move begun from the menu. Where the window system moves
    // windows itself (Wayland), the press hands the move over to it instead.
    QWindow* window = form_->windowHandle();
    stopMoving(true);
    if (window && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
      window->startSystemMove();
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  const QPoint point = event->position().toPoint();
  if (owner_->barLayout().icon.contains(point)) {
    openWindowMenu(menuPosition());
    return;
  }
  held_ = buttonAt(point);
  over_ = held_ != cbNone;
  if (held_ != cbNone) {
    update();
    return;
  }
  QWindow* window = form_->windowHandle();
  if (window && window->startSystemMove()) return;
  dragging_ = true;
  grabOffset_ = event->globalPosition().toPoint() - form_->frameGeometry().topLeft();
}

void TCaptionBarWidget::mouseMoveEvent(QMouseEvent* event) {
  if (moving_) {
    moveWith(event->globalPosition().toPoint());
    return;
  }
  if (dragging_) {
    form_->move(event->globalPosition().toPoint() - grabOffset_);
    return;
  }
  if (held_ == cbNone) return;
  const bool over = buttonAt(event->position().toPoint()) == held_;
  if (over == over_) return;
  over_ = over;
  update();
}

void TCaptionBarWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton && held_ == cbNone && buttonAt(event->position().toPoint()) == cbNone) {
    openWindowMenu(event->globalPosition().toPoint());
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  dragging_ = false;
  const TCaptionButton button = held_;
  const bool over = buttonAt(event->position().toPoint()) == button;
  held_ = cbNone;
  over_ = false;
  update();
  if (button != cbNone && over) press(button);
}

void TCaptionBarWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  // A double click on the icon closes the window, as its menu's Close would.
  if (event->button() == Qt::LeftButton && owner_->barLayout().icon.contains(event->position().toPoint())) {
    if (menu_) menu_->close();
    form_->close();
    return;
  }
  if (event->button() == Qt::LeftButton && buttonAt(event->position().toPoint()) == cbNone &&
      form_->windowFlags().testFlag(Qt::WindowMaximizeButtonHint))
    press(cbMaximize);
}

void TCaptionBarWidget::press(TCaptionButton button) {
  switch (button) {
    case cbClose:
      form_->close();
      break;
    case cbMaximize:
      if (form_->isMaximized())
        form_->showNormal();
      else
        form_->showMaximized();
      break;
    case cbMinimize:
      form_->showMinimized();
      break;
    case cbHelp:
      QWhatsThis::enterWhatsThisMode();
      break;
    case cbNone:
      break;
  }
}
