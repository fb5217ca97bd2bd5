// The Qt widgets that draw the form's controls. Each one reads what it draws from its
// control when the backend syncs it; none of them paints outside Qt's paint events.
#pragma once

#include <QEvent>
#include <QImage>
#include <QPushButton>
#include <QWidget>

#include "platform/vcl/controls.h"
#include "platform/vcl/forms.h"

class QtBackend;

// The colour a control value stands for; system colours follow the widget's palette.
QColor ToQColor(TColor colour, const QPalette& palette);
// A caption as the user reads it: "&x" shows "x", "&&" shows "&".
QString StripMnemonics(const QString& text);

// A message from the game's platform: a posted WM_DROPFILES, MM_MCINOTIFY, and the like.
class WinMessageEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  explicit WinMessageEvent(const TMessage& message) : QEvent(EventType()), message_(message) {}
  const TMessage& Message() const { return message_; }

 private:
  TMessage message_;
};

// The top-level window: frameless, no toolkit decoration.
class FormWidget : public QWidget {
  Q_OBJECT
 public:
  FormWidget(QtBackend& backend, TForm& form);

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  QtBackend& backend_;
  TForm& form_;
};

class PanelWidget : public QWidget {
 public:
  PanelWidget(TPanel& panel, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TPanel& panel_;
};

class LabelWidget : public QWidget {
 public:
  LabelWidget(TLabel& label, QWidget* parent);
  const QString& Text() const { return text_; }
  void SetText(const QString& text);
  // The size of the text on one line, accelerator marks drawn as underlines.
  QSize TextSize() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  TLabel& label_;
  QString text_;
};

class ButtonWidget : public QPushButton {
 public:
  ButtonWidget(TButton& button, QWidget* parent);
  TButton& Control() { return button_; }

 private:
  TButton& button_;
};

class ImageWidget : public QWidget {
 public:
  ImageWidget(TImage& image, QWidget* parent);
  void SetPicture(HBITMAP bitmap);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TImage& image_;
  HBITMAP shown_ = nullptr;
  QImage picture_;
};

// Makes labels readable as static text through the accessibility tree.
void InstallAccessibilityFactory();
