// TMSOfficeCaption: takes over the title bar of its form. The form becomes
// frameless and the component paints a bar of the system caption height above
// the form's content: a gradient from Color to the caption colour, the
// window's icon and caption buttons, and up to three text parts (company,
// application name, caption proper) with their own fonts and colours. The
// form's title always equals the visible parts joined; the window system is
// given that title as the bar shows it (with "&&" as one ampersand).
//
// The form keeps its designed client size: on taking over, the component makes
// the form taller by the bar and moves its content down through the form's
// contents margins, so the form should lay its content out with a layout (or
// inside contentsRect()). Set the form's window flags before creating the
// component; they decide which caption buttons show.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "controls/WordcapLayout.h"

class QPainter;
class TMSOfficeCaption;

// One text part of the bar.
class TCompanyText : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption NOTIFY changed)
  Q_PROPERTY(QColor ColorActive READ colorActive WRITE setColorActive NOTIFY changed)
  Q_PROPERTY(QColor ColorInactive READ colorInactive WRITE setColorInactive NOTIFY changed)
  Q_PROPERTY(QFont Font READ font WRITE setFont NOTIFY changed)
  Q_PROPERTY(Wordcap::TFontKind FontKind READ fontKind WRITE setFontKind NOTIFY changed)
  Q_PROPERTY(bool Visible READ isVisible WRITE setVisible NOTIFY changed)

 public:
  explicit TCompanyText(TMSOfficeCaption* owner);

  virtual QString caption() const { return caption_; }
  // The text as stored, whatever caption() makes of it.
  QString storedCaption() const { return caption_; }
  virtual void setCaption(const QString& caption);
  // Unless set, the system's (inactive) caption-text colour of the moment.
  QColor colorActive() const;
  void setColorActive(const QColor& colour);  // an invalid colour follows the system again
  QColor colorInactive() const;
  void setColorInactive(const QColor& colour);
  QFont font() const { return font_; }
  // Copies the font; the kind becomes fkCustom unless it is fkAutoHeight,
  // which then adjusts the new font's height.
  void setFont(const QFont& font);
  Wordcap::TFontKind fontKind() const { return fontKind_; }
  void setFontKind(Wordcap::TFontKind kind);
  bool isVisible() const { return visible_; }
  void setVisible(bool visible);

  // Makes the font follow the kind again, after the caption font changed.
  void applyFontKind();
  // Stores the caption without composing the form's title.
  void storeCaption(const QString& caption) { caption_ = caption; }

 signals:
  void changed();

 protected:
  TMSOfficeCaption* owner_;

 private:
  QString caption_;
  QColor colorActive_;
  QColor colorInactive_;
  QFont font_;
  Wordcap::TFontKind fontKind_ = Wordcap::fkSystem;
  bool visible_ = true;
};

class TAppNameText : public TCompanyText {
  Q_OBJECT
 public:
  using TCompanyText::TCompanyText;
};

// The caption proper: what is left of the form's title after the company and
// application-name parts.
class TCaptionText : public TCompanyText {
  Q_OBJECT
 public:
  using TCompanyText::TCompanyText;
  QString caption() const override;
};

class TMSOfficeCaption : public QObject {
  Q_OBJECT
  Q_PROPERTY(TAppNameText* AppNameText READ appNameText CONSTANT)
  Q_PROPERTY(TCaptionText* CaptionText READ captionText CONSTANT)
  Q_PROPERTY(TCompanyText* CompanyText READ companyText CONSTANT)
  Q_PROPERTY(QColor Color READ color WRITE setColor NOTIFY colorChanged)
  Q_PROPERTY(Wordcap::TGradEnabled Enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
  Q_PROPERTY(Wordcap::TJustification Justification READ justification WRITE setJustification
                 NOTIFY justificationChanged)
  Q_PROPERTY(int NumColors READ numColors WRITE setNumColors NOTIFY numColorsChanged)

 public:
  // Sender, a painter on the bar (its font is the caption font) and the text
  // rectangle, which the handler may change.
  using TOnDrawCaption = std::function<void(TMSOfficeCaption* sender, QPainter& canvas, QRect& r)>;

  // The system's caption colours, taken from the application's palette.
  struct TCaptionColours {
    QColor active, inactive, activeText, inactiveText;
  };
  static TCaptionColours systemCaptionColours();
  // The system's title-bar font: bold when heavier than medium, italic kept.
  static QFont systemCaptionFont();

  // REQUIRES: form is a window (a widget without a parent); otherwise throws
  // parvex::Exception("Invalid class typecast").
  explicit TMSOfficeCaption(QWidget* form);
  ~TMSOfficeCaption() override;
  TMSOfficeCaption(const TMSOfficeCaption&) = delete;
  TMSOfficeCaption& operator=(const TMSOfficeCaption&) = delete;

  TAppNameText* appNameText() const { return appName_; }
  TCaptionText* captionText() const { return caption_; }
  TCompanyText* companyText() const { return company_; }
  QColor color() const { return color_; }
  void setColor(const QColor& colour);
  Wordcap::TGradEnabled enabled() const { return enabled_; }
  void setEnabled(Wordcap::TGradEnabled mode);
  Wordcap::TJustification justification() const { return justification_; }
  void setJustification(Wordcap::TJustification justification);
  int numColors() const { return numColors_; }
  // 1 to 256; 0 or less is ignored, more than 256 becomes 256.
  void setNumColors(int count);
  const TOnDrawCaption& onDrawCaption() const { return onDrawCaption_; }
  void setOnDrawCaption(TOnDrawCaption handler);

  QWidget* form() const { return form_; }
  QFont captionFont() const { return captionFont_; }
  // Height of the bar; 0 when the form has no border (and so no bar).
  int barHeight() const { return barHeight_; }
  // Whether the bar shows as active: the last activation change, or until
  // the first one, whether the form is the active window.
  bool isActive() const;
  Wordcap::TButtonSet buttons() const;
  Wordcap::TBarLayout barLayout() const;
  // Paints the bar as it shows when active or not, with `pixelRatio` device
  // pixels per pixel (a scaled screen's). Also refreshes the caption part
  // from the form's title. A null image when there is no bar.
  QImage renderBar(bool active, qreal pixelRatio = 1);
  // Puts the joined visible parts in the form's title.
  void composeFormCaption();
  Wordcap::TCaptionParts parts() const;

 signals:
  void colorChanged(const QColor& colour);
  void enabledChanged(Wordcap::TGradEnabled mode);
  void justificationChanged(Wordcap::TJustification justification);
  void numColorsChanged(int count);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static QWidget* requireForm(QWidget* widget);
  void takeOverFrame();
  void giveBackFrame();
  void reloadCaptionFont();
  void repaintBar();
  void syncWindowSystemTitle();

  QPointer<QWidget> form_;
  bool formDying_ = false;
  TAppNameText* appName_;
  TCaptionText* caption_;
  TCompanyText* company_;
  QColor color_{Qt::black};
  Wordcap::TGradEnabled enabled_ = Wordcap::geSmart;
  Wordcap::TJustification justification_ = Wordcap::jAuto;
  int numColors_ = Wordcap::kDefaultNumColors;
  TOnDrawCaption onDrawCaption_;
  QFont captionFont_;
  bool active_ = true;
  bool activationKnown_ = false;
  // What the component changed on the form, to give it back.
  Qt::WindowFlags designFlags_;
  bool borderNone_ = false;
  int barHeight_ = 0;
  QPointer<QWidget> bar_;
};
