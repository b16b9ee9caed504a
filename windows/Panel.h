// TPanel: a plain area in one colour with an outer and an inner bevel (each
// none, raised or lowered, one pixel wide) and an optional caption centred in
// it, in the panel's font and font colour. Windows put other controls on it;
// OnResize tells them when its size changed.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class TPanel : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(QColor Color READ color WRITE setColor)
  Q_PROPERTY(QColor FontColor READ fontColor WRITE setFontColor)
  Q_PROPERTY(TBevelCut BevelOuter READ bevelOuter WRITE setBevelOuter)
  Q_PROPERTY(TBevelCut BevelInner READ bevelInner WRITE setBevelInner)

 public:
  enum TBevelCut { bvNone, bvLowered, bvRaised };
  Q_ENUM(TBevelCut)

  // Button face, black caption, outer bevel raised, no inner bevel.
  explicit TPanel(QWidget* parent = nullptr);

  QString caption() const { return caption_; }
  void setCaption(const QString& caption);
  QColor color() const { return color_; }
  void setColor(const QColor& colour);
  QColor fontColor() const { return fontColor_; }
  void setFontColor(const QColor& colour);
  TBevelCut bevelOuter() const { return outer_; }
  void setBevelOuter(TBevelCut cut);
  TBevelCut bevelInner() const { return inner_; }
  void setBevelInner(TBevelCut cut);

  // Inside the bevels: where the caption is centred.
  QRect captionRect() const;
  // The panel as it paints itself.
  QImage renderToImage() const;

 signals:
  void OnResize();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void paintOn(QPainter& painter) const;

  QString caption_;
  QColor color_;
  QColor fontColor_{Qt::black};
  TBevelCut outer_ = bvRaised;
  TBevelCut inner_ = bvNone;
};
