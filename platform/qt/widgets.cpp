#include "platform/qt/widgets.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QUrl>

#include "platform/qt/drops.h"
#include "platform/qt/qt_backend.h"
#include "platform/win32/bitmaps.h"
#include "platform/win32/shellapi.h"

QColor ToQColor(TColor colour, const QPalette& palette) {
  if (colour == clWindowText) return palette.color(QPalette::WindowText);
  if (colour == clBtnFace) return palette.color(QPalette::Button);
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

QString StripMnemonics(const QString& text) {
  QString plain;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == u'&' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

QEvent::Type WinMessageEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

FormWidget::FormWidget(QtBackend& backend, TForm& form)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), backend_(backend), form_(form) {
  setAccessibleDescription(QString::fromStdString(form.Name()));
}

bool FormWidget::event(QEvent* event) {
  if (event->type() != WinMessageEvent::EventType()) return QWidget::event(event);
  TMessage message = static_cast<WinMessageEvent*>(event)->Message();
  if (backend_.HoldingMessages()) {
    backend_.HoldMessage(message);
  } else {
    form_.Perform(message);
  }
  return true;
}

// The window manager's close button, Alt+F4 and the like: the form decides.
void FormWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  TMessage message{WM_CLOSE, 0, 0, 0};
  form_.Perform(message);
}

// Enter presses the focused button, or else the visible, enabled default button.
void FormWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
    QWidget::keyPressEvent(event);
    return;
  }
  auto* focused = dynamic_cast<ButtonWidget*>(focusWidget());
  if (focused != nullptr && focused->isVisible() && focused->isEnabled()) {
    focused->click();
    return;
  }
  for (const auto& control : form_.Components()) {
    auto* button = dynamic_cast<TButton*>(control.get());
    if (button == nullptr || !button->Default()) continue;
    auto* widget = static_cast<ButtonWidget*>(backend_.WidgetOf(*button));
    if (widget != nullptr && widget->isVisible() && widget->isEnabled()) {
      widget->click();
      return;
    }
  }
}

void FormWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (CarriesLocalFiles(*event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void FormWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (CarriesLocalFiles(*event->mimeData())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

// The drop is posted, so the drag has finished before the handler runs.
void FormWidget::dropEvent(QDropEvent* event) {
  if (!CarriesLocalFiles(*event->mimeData())) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  HDROP drop = MakeDropHandle(DroppedNames(*event->mimeData()));
  backend_.PostMessage(form_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
}

PanelWidget::PanelWidget(TPanel& panel, QWidget* parent) : QWidget(parent), panel_(panel) {}

void PanelWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(panel_.Color(), palette()));
  if (panel_.BevelOuter() == TBevelCut::bvNone) return;
  QColor light = panel_.BevelOuter() == TBevelCut::bvRaised ? Qt::white : QColor(128, 128, 128);
  QColor dark = panel_.BevelOuter() == TBevelCut::bvRaised ? QColor(128, 128, 128) : Qt::white;
  int right = width() - 1;
  int bottom = height() - 1;
  painter.setPen(light);
  painter.drawLine(0, 0, right, 0);
  painter.drawLine(0, 0, 0, bottom);
  painter.setPen(dark);
  painter.drawLine(0, bottom, right, bottom);
  painter.drawLine(right, 0, right, bottom);
}

LabelWidget::LabelWidget(TLabel& label, QWidget* parent) : QWidget(parent), label_(label) {}

void LabelWidget::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(StripMnemonics(text));
  update();
}

QSize LabelWidget::TextSize() const {
  QFontMetrics metrics(font());
  QSize size = metrics.size(Qt::TextShowMnemonic | Qt::TextSingleLine, text_);
  return QSize(size.width(), std::max(size.height(), metrics.height()));
}

void LabelWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), ToQColor(label_.Color(), palette()));
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect(), Qt::TextShowMnemonic | Qt::TextSingleLine | Qt::AlignLeft | Qt::AlignTop,
                   text_);
}

void LabelWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  label_.DblClick();
}

ButtonWidget::ButtonWidget(TButton& button, QWidget* parent)
    : QPushButton(parent), button_(button) {
  setAutoDefault(false);
  setFocusPolicy(button.TabStop() ? Qt::StrongFocus : Qt::ClickFocus);
  connect(this, &QPushButton::clicked, this, [this] { button_.Click(); });
}

ImageWidget::ImageWidget(TImage& image, QWidget* parent) : QWidget(parent), image_(image) {}

void ImageWidget::SetPicture(HBITMAP bitmap) {
  if (bitmap == shown_) return;
  shown_ = bitmap;
  picture_ = QImage();
  if (const PixelImage* pixels = BitmapPixels(bitmap)) {
    picture_ = QImage(pixels->width, pixels->height, QImage::Format_ARGB32);
    for (int y = 0; y < pixels->height; ++y) {
      for (int x = 0; x < pixels->width; ++x) picture_.setPixel(x, y, pixels->At(x, y));
    }
  }
  update();
}

// A stretched picture shows every source pixel as a block, never smoothed.
void ImageWidget::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (image_.Stretch()) {
    painter.drawImage(rect(), picture_);
  } else {
    painter.drawImage(0, 0, picture_);
  }
}

namespace {

class LabelAccessible : public QAccessibleWidget {
 public:
  explicit LabelAccessible(LabelWidget* label)
      : QAccessibleWidget(label, QAccessible::StaticText) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return StripMnemonics(static_cast<LabelWidget*>(widget())->Text());
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* AccessibleFactory(const QString& class_name, QObject* object) {
  Q_UNUSED(class_name);
  if (auto* label = dynamic_cast<LabelWidget*>(object)) return new LabelAccessible(label);
  return nullptr;
}

}  // namespace

void InstallAccessibilityFactory() { QAccessible::installFactory(AccessibleFactory); }
