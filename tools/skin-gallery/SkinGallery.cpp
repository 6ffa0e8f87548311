#include "SkinGallery.h"

#include <QLabel>
#include <QLineEdit>
#include <QWindow>

#include "Abclabel.h"
#include "Abcspla.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "Exception.h"
#include "Picture.h"
#include "SkinControl.h"

namespace {

constexpr int kImages1Count = 35;
constexpr int kImages2Count = 9;
constexpr int kLoggedEvents = 10;
const QColor kLightColour(224, 224, 234);

// The swapping table of the windows (leave, enter, down, up).
constexpr TImageSwap kForward{3, 4, 8, 4};
constexpr TImageSwap kBack{1, 2, 7, 2};
constexpr TImageSwap kClose{10, 11, 12, 11};
constexpr TImageSwap kUpdate{13, 14, 15, 13};
constexpr TImageSwap kMinimise{16, 17, 18, 17};
constexpr TImageSwap kMaximise{19, 20, 21, 20};
constexpr TImageSwap kTitleClose{22, 23, 24, 23};
constexpr TImageSwap kAbout{26, 27, 28, 26};
constexpr TImageSwap kPrint{29, 30, 31, 29};
constexpr TImageSwap kAboutClose{32, 33, 34, 32};

QFont ArialBold13() {
  QFont font("Arial");
  font.setPixelSize(13);
  font.setBold(true);
  return font;
}

QFont SansSerif(int pixels, bool bold = false, bool underline = false) {
  QFont font("MS Sans Serif");
  font.setPixelSize(pixels);
  font.setBold(bold);
  font.setUnderline(underline);
  return font;
}

std::string Text(const char* utf8) {
  return FromQString(QString::fromUtf8(utf8));
}

QImage LoadImage(const QString& path) {
  QImage image(path);
  if (image.isNull()) throw Exception("missing skin image " + path.toStdString());
  return image;
}

void FillStore(TCoolImages& store, int number, int count) {
  for (int i = 0; i < count; ++i)
    store.Bitmaps().Add(
        LoadImage(QString(":/skin/images%1/%2.bmp").arg(number).arg(i, 2, 10, QChar('0'))));
}

TPicture LoadPicture(const QString& path) {
  TPicture picture;
  picture.LoadFromFile(path);
  return picture;
}

}  // namespace

TFormGallery::TFormGallery(QWidget* parent) : QWidget(parent) {
  setObjectName("FormGallery");
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setWindowTitle(QString::fromUtf8("Trickfolio — галерея обложки"));
  setFixedSize(ClientWidth, ClientHeight);
  LoadStores();
  BuildFrame();
  BuildHeader();
  auto* body = AddPlainPanel(this, "CoolPanel1", QRect(6, 106, 765, 272));
  BuildListColumn(body);
  BuildCodeColumn(body);
  BuildBottomStrip();
  BuildAboutStrip();
  BuildSplash();
}

TFormGallery::~TFormGallery() = default;

TCoolBitmapButton* TFormGallery::Button(const QString& name) const {
  return findChild<TCoolBitmapButton*>(name);
}

void TFormGallery::LoadStores() {
  CoolImages1 = new TCoolImages(this);
  CoolImages1->setObjectName("CoolImages1");
  CoolImages2 = new TCoolImages(this);
  CoolImages2->setObjectName("CoolImages2");
  FillStore(*CoolImages1, 1, kImages1Count);
  FillStore(*CoolImages2, 2, kImages2Count);
}

const QImage& TFormGallery::Image1(int index) const {
  return CoolImages1->Bitmaps().Items(index)->Bitmap();
}

TCoolPanel* TFormGallery::AddPanel(QWidget* parent, const char* name, const QRect& bounds,
                                   TCoolImages* store, int idWallpaper) {
  auto* panel = new TCoolPanel(parent);
  panel->SetName(name);
  panel->SetBevelOuter(bvNone);
  panel->SetBounds(bounds.x(), bounds.y(), bounds.width(), bounds.height());
  panel->SetCoolImages(store);
  panel->SetidWallpaper(idWallpaper);
  return panel;
}

TCoolPanel* TFormGallery::AddPlainPanel(QWidget* parent, const char* name, const QRect& bounds) {
  auto* panel = AddPanel(parent, name, bounds, nullptr, -1);
  panel->SetColor(kLightColour);
  return panel;
}

TCoolBitmapButton* TFormGallery::AddButton(QWidget* parent, const char* name, const QPoint& at,
                                           const TImageSwap& swap, bool handCursor) {
  auto* button = new TCoolBitmapButton(parent);
  button->SetName(name);
  button->move(at);
  button->SetBitmap(Image1(swap.Leave));
  if (handCursor) button->SetCursor(Qt::PointingHandCursor);
  const QString label = QString::fromLatin1(name);
  auto show = [this, button, label](const char* event, int index) {
    button->SetBitmap(Image1(index));
    Log(QString("%1.%2 → %3").arg(label, QLatin1String(event)).arg(index));
  };
  button->OnMoseEnter = [show, swap](QObject*) { show("OnMoseEnter", swap.Enter); };
  button->OnMouseLeave = [show, swap](QObject*) { show("OnMouseLeave", swap.Leave); };
  button->OnMouseDown = [show, swap](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    show("OnMouseDown", swap.Down);
  };
  button->OnMouseUp = [show, swap](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    show("OnMouseUp", swap.Up);
  };
  return button;
}

void TFormGallery::Log(const QString& text) {
  if (!EventLog) return;
  // The newest event first; a handful is enough to follow enter, down, up and leave.
  FEvents.prepend(text);
  while (FEvents.size() > kLoggedEvents) FEvents.removeLast();
  EventLog->setText(FEvents.join(QLatin1Char('\n')));
}

void TFormGallery::BuildFrame() {
  const int w = ClientWidth, h = ClientHeight;
  auto* left = AddPanel(this, "CoolPanel12", QRect(0, 0, 6, 27), CoolImages2, 0);
  auto* middle = AddPanel(this, "CoolPanel14", QRect(6, 0, w - 108, 27), CoolImages2, 1);
  auto* right = AddPanel(this, "CoolPanel13", QRect(w - 102, 0, 102, 27), CoolImages2, 2);
  middle->SetCaption(Text(" Trickfolio — галерея обложки"));
  middle->SetAlignment(taLeftJustify);
  middle->SetFont(SansSerif(11, true));
  for (TCoolPanel* panel : {left, middle, right}) {
    panel->OnMouseDown = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
      if (windowHandle()) windowHandle()->startSystemMove();
    };
  }
  auto* minimise = AddButton(right, "CoolBitmapButton4", {27, 3}, kMinimise, false);
  auto* maximise = AddButton(right, "CoolBitmapButton6", {51, 3}, kMaximise, false);
  auto* titleClose = AddButton(right, "CoolBitmapButton7", {75, 3}, kTitleClose, false);
  minimise->OnClick = [this](QObject*) { showMinimized(); };
  maximise->OnClick = [this](QObject*) {
    Log(QString::fromUtf8("Галерея постоянного размера: развернуть нечего"));
  };
  titleClose->OnClick = [this](QObject*) { close(); };

  AddPanel(this, "CoolPanel20", QRect(0, 27, 6, h - 33), CoolImages2, 8);
  AddPanel(this, "CoolPanel15", QRect(w - 6, 27, 6, 8), CoolImages2, 3);
  AddPanel(this, "CoolPanel16", QRect(w - 6, 35, 6, h - 41), CoolImages2, 4);
  AddPanel(this, "CoolPanel18", QRect(0, h - 6, 6, 6), CoolImages2, 7);
  AddPanel(this, "CoolPanel19", QRect(6, h - 6, w - 12, 6), CoolImages2, 6);
  AddPanel(this, "CoolPanel17", QRect(w - 6, h - 6, 6, 6), CoolImages2, 5);
}

void TFormGallery::BuildHeader() {
  auto* header = AddPanel(this, "CoolPanel8", QRect(6, 27, 765, 79), CoolImages1, 9);
  auto* image = new QLabel(header);
  image->setObjectName("Image1");
  image->setGeometry(0, 0, 300, 79);
  image->setPixmap(QPixmap::fromImage(LoadPicture(":/pictures/header.jpg").Image()));

  // Where the banners turn in the main window: a transparent panel shows the header's
  // wallpaper through.
  auto* banner = AddPanel(header, "CoolPanel9", QRect(291, 10, 468, 60), CoolImages1, 0);
  banner->SetTransparent(true);
  banner->SetCaption(Text("Прозрачная панель: сквозь неё видны обои шапки"));
  banner->SetFont(ArialBold13());
  banner->SetFontColor(Qt::white);
}

void TFormGallery::BuildListColumn(QWidget* body) {
  auto* heading = AddPanel(body, "CoolPanel2", QRect(0, 0, 297, 26), CoolImages1, 5);
  heading->SetCaption(Text("Список игр (3)"));
  heading->SetFont(ArialBold13());
  auto* search = AddPanel(body, "CoolPanel7", QRect(0, 26, 297, 33), CoolImages1, 6);
  search->SetCaption(Text(" Поиск:"));
  search->SetAlignment(taLeftJustify);
  search->SetFont(ArialBold13());
  auto* edit = new QLineEdit(search);
  edit->setObjectName("Edit1");
  edit->setGeometry(53, 4, 242, 24);
  edit->setFont(ArialBold13());
  edit->setText(QString::fromUtf8("Wolf"));

  auto* links = AddPlainPanel(body, "CoolPanel5", QRect(0, 59, 297, 213));
  auto* disabled = new TabcURLLabel(links);
  disabled->setObjectName("DisabledURLLabel");
  disabled->move(20, 16);
  disabled->SetFont(SansSerif(11, true));
  disabled->SetCaption(Text("Недоступная ссылка (рельефная надпись)"));
  disabled->SetEnabled(false);

  EventLog = new QLabel(links);
  EventLog->setObjectName("EventLog");
  EventLog->setGeometry(8, 48, 281, 150);
  EventLog->setWordWrap(true);
  EventLog->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  EventLog->setFont(SansSerif(11));
  EventLog->setText(QString::fromUtf8("События кнопок и ссылок появятся здесь."));

  auto* splitter = AddPlainPanel(body, "Splitter1", QRect(297, 0, 6, 272));
  splitter->SetBevelOuter(bvRaised);
}

void TFormGallery::BuildCodeColumn(QWidget* body) {
  auto* heading = AddPanel(body, "CoolPanel6", QRect(303, 0, 462, 26), CoolImages1, 5);
  heading->SetCaption(Text("Wolfenstein 3D (PC)"));
  heading->SetFont(ArialBold13());

  CoolMemo1 = new TCoolMemo(body);
  CoolMemo1->SetName("CoolMemo1");
  CoolMemo1->SetBounds(303, 26, 462, 170);
  CoolMemo1->SetCoolImages(CoolImages1);
  CoolMemo1->SetidCaptionWallpaper(5);
  CoolMemo1->SetOptions({ocPaintCaptionWallpaper, ocFlatBorder});
  CoolMemo1->SetCaption(Text("Окно кодов с полосой заголовка"));
  CoolMemo1->SetCaptionTextColor(Qt::black);
  CoolMemo1->SetScrollBars(ssVertical);
  CoolMemo1->SetReadOnly(true);
  CoolMemo1->SetFont(SansSerif(12));
  CoolMemo1->Lines().SetText(
      Text("Во время игры нажмите Tab и наберите:\r\n\r\nMLI\tбессмертие, все ключи, оружие\r\n"
           "ILM\tто же самое\r\nBAT\tпропуск уровня\r\n\r\nКоды работают в версии 1.4 и "
           "новее.\r\n"));

  // The online-only link as the code column shows it when the codes are kept on the site.
  auto* online = AddPlainPanel(body, "CoolPanel4", QRect(303, 196, 462, 76));
  auto* solution = new TabcURLLabel(online);
  solution->setObjectName("SolutionURLLabel");
  solution->SetAutoSize(false);
  solution->setGeometry(66, 4, 330, 68);
  solution->SetAlignment(taCenter);
  solution->SetWordWrap(true);
  solution->SetTransparent(true);
  solution->SetFont(SansSerif(13, true));
  solution->SetFontColor(Qt::red);
  solution->SetCaption(
      Text("Для просмотра информации необходимо\r\nподключиться к сети интернет\r\nи перейти "
           "на сайт trickfolio.example\r\nнажав эту ссылку"));
  solution->setCursor(Qt::PointingHandCursor);
  solution->OnClick = [this](QObject*) { Log(QString::fromUtf8("SolutionURLLabel.OnClick")); };
}

void TFormGallery::BuildBottomStrip() {
  auto* strip = AddPanel(this, "CoolPanel3", QRect(6, 378, 765, 52), CoolImages1, 0);
  auto* left = AddPanel(strip, "CoolPanel10", QRect(0, 0, 297, 52), CoolImages1, 0);
  auto* arrows = AddPanel(left, "CoolPanel11", QRect(88, 0, 105, 53), CoolImages1, 0);
  for (const char* name : {"CoolBitmapButton2", "CoolBitmapButton1"}) {
    const bool back = QLatin1String(name) == QLatin1String("CoolBitmapButton2");
    auto* button =
        AddButton(arrows, name, back ? QPoint(9, 8) : QPoint(57, 7), back ? kBack : kForward);
    button->SetShadowEffect(false);
    button->SetPositionEffect(false);
    button->SetHint(Text(back ? "Назад" : "Вперёд"));
    button->SetShowHint(true);
  }
  AddPanel(strip, "CoolPanel21", QRect(297, 0, 7, 52), CoolImages1, 25);
  auto* print = AddButton(strip, "CoolBitmapButton9", {469, 18}, kPrint);
  auto* about = AddButton(strip, "CoolBitmapButton8", {498, 18}, kAbout);
  auto* update = AddButton(strip, "CoolBitmapButton5", {527, 18}, kUpdate);
  auto* closeButton = AddButton(strip, "CoolBitmapButton3", {693, 18}, kClose);
  print->OnClick = [this](QObject*) { Log(QString::fromUtf8("Печать: здесь был бы отчёт")); };
  about->OnClick = [this](QObject*) {
    try {
      abcSplash1->Show();
    } catch (const Exception& error) {
      Log(ToQString(error.Message()));
    }
  };
  update->OnClick = [this](QObject*) { Log(QString::fromUtf8("Обновить программу")); };
  closeButton->OnClick = [this](QObject*) { close(); };
}

void TFormGallery::BuildAboutStrip() {
  auto* band = AddPlainPanel(this, "CoolPanelAbout", QRect(6, 430, 765, 84));
  auto* linkStrip = AddPlainPanel(band, "Panel1", QRect(0, 0, 320, 32));
  auto* link = new TabcURLLabel(linkStrip);
  link->setObjectName("abcURLLabel1");
  link->move(78, 9);
  link->SetFont(SansSerif(11, false, true));
  link->SetFontColor(Qt::black);
  link->SetCaption(Text("Заказать рекламу в программе"));
  link->setCursor(Qt::PointingHandCursor);
  link->OnClick = [this](QObject*) { Log(QString::fromUtf8("abcURLLabel1.OnClick")); };

  auto* strip = AddPanel(band, "CoolPanel6", QRect(0, 32, 320, 52), CoolImages1, 0);
  AddButton(strip, "AboutCoolBitmapButton3", {132, 15}, kAboutClose);

  auto* note = new QLabel(band);
  note->setGeometry(336, 8, 420, 70);
  note->setWordWrap(true);
  note->setFont(SansSerif(11));
  note->setText(QString::fromUtf8(
      "Слева — нижняя полоса окна «О программе». Наведите указатель на кнопки и нажмите их: "
      "картинки сменяются, как в окнах программы. Кнопка «i» показывает заставку на 2 с "
      "(щелчок закрывает её раньше)."));
}

void TFormGallery::BuildSplash() {
  abcSplash1 = new TabcSplash(this);
  abcSplash1->setObjectName("abcSplash1");
  abcSplash1->SetAllowLocalBmp(false);
  abcSplash1->SetAutoShow(false);
  abcSplash1->SetBevelWidth(1);
  abcSplash1->SetDuration(2000);
  abcSplash1->SetPicture(LoadPicture(":/pictures/splash.jpg"));
  abcSplash1->OnHide = [this](QObject*) { Log(QString::fromUtf8("abcSplash1.OnHide")); };
}
