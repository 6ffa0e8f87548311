#include "SkinGallery.h"

#include <QLabel>
#include <QLineEdit>
#include <QWindow>

#include "Abclabel.h"
#include "Abcspla.h"
#include "CoolBitmapButton.h"
#include "CoolCtrls.h"
#include "Exception.h"
#include "FormBuilder.h"
#include "Image.h"
#include "Picture.h"
#include "SkinControl.h"
#include "SkinMap.h"

using namespace FormBuilder;
using namespace SkinMap;

namespace {

constexpr int kLoggedEvents = 10;

std::string Text(const char* utf8) {
  return FromQString(QString::fromUtf8(utf8));
}

// The windows' own loading, and a missing picture is an error here: the gallery is where
// the artwork is looked at.
void LoadCheckedStore(TCoolImages& store, const char* folder, int count) {
  LoadStore(store, folder, count);
  for (int i = 0; i < count; ++i) {
    if (store.Bitmaps().Items(i)->Bitmap().isNull())
      throw Exception(
          QString::asprintf("missing skin image :/skin/%s/%02d.bmp", folder, i).toStdString());
  }
}

TPicture LoadPicture(const QString& path) {
  TPicture picture;
  picture.LoadFromFile(path);
  return picture;
}

TCoolPanel* PlainPanel(QWidget* parent, const char* name, const QRect& bounds) {
  auto* panel = Panel(parent, name, alNone, bounds);
  panel->SetColor(LightColor);
  return panel;
}

}  // namespace

TFormGallery::TFormGallery(QWidget* parent) : QWidget(parent) {
  setObjectName("FormGallery");
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setWindowTitle(QString::fromUtf8("Trickfolio — галерея обложки"));
  setFixedSize(ClientWidth, ClientHeight);
  LoadStores();
  QWidget* client = BuildFrame();
  BuildHeader(client);
  auto* body = PlainPanel(client, "CoolPanel1", QRect(0, 79, 765, 272));
  BuildListColumn(body);
  BuildCodeColumn(body);
  BuildBottomStrip(client);
  BuildAboutStrip(client);
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
  LoadCheckedStore(*CoolImages1, "images1", Images1Count);
  LoadCheckedStore(*CoolImages2, "images2", Images2Count);
}

TCoolBitmapButton* TFormGallery::AddButton(QWidget* parent, const char* name, const QPoint& at,
                                           const TImageSwap& swap, bool handCursor) {
  auto* button = new TCoolBitmapButton(parent);
  button->SetName(name);
  button->move(at);
  if (handCursor) button->SetCursor(Qt::PointingHandCursor);
  WireImageSwap(button, *CoolImages1, swap);
  const QString label = QString::fromLatin1(name);
  auto log = [this, label](const char* event, int index) {
    Log(QString("%1.%2 → %3").arg(label, QLatin1String(event)).arg(index));
  };
  button->OnMoseEnter = [swapped = button->OnMoseEnter, log, swap](QObject* sender) {
    swapped(sender);
    log("OnMoseEnter", swap.Enter);
  };
  button->OnMouseLeave = [swapped = button->OnMouseLeave, log, swap](QObject* sender) {
    swapped(sender);
    log("OnMouseLeave", swap.Leave);
  };
  button->OnMouseDown = [swapped = button->OnMouseDown, log, swap](
                            QObject* sender, Qt::MouseButton b, Qt::KeyboardModifiers shift, int x,
                            int y) {
    swapped(sender, b, shift, x, y);
    log("OnMouseDown", swap.Down);
  };
  button->OnMouseUp = [swapped = button->OnMouseUp, log, swap](QObject* sender, Qt::MouseButton b,
                                                               Qt::KeyboardModifiers shift, int x,
                                                               int y) {
    swapped(sender, b, shift, x, y);
    log("OnMouseUp", swap.Up);
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

QWidget* TFormGallery::BuildFrame() {
  const TSkinFrame frame =
      SkinFrame(this, size(), CoolImages2, {"Panel2", "Panel3", "Panel4", "Panel5", "Panel6"});
  frame.CoolPanel14->SetCaption(Text(" Trickfolio — галерея обложки"));
  frame.CoolPanel14->SetAlignment(taLeftJustify);
  frame.CoolPanel14->SetFont(PixelFont("MS Sans Serif", 11, true));
  for (TCoolPanel* panel : {frame.CoolPanel12, frame.CoolPanel14, frame.CoolPanel13}) {
    panel->OnMouseDown = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
      if (windowHandle()) windowHandle()->startSystemMove();
    };
  }
  TCoolPanel* right = frame.CoolPanel13;
  auto* minimise =
      AddButton(right, "CoolBitmapButton4", {MinimiseLeft, TitleButtonTop}, MinimiseButton, false);
  auto* maximise =
      AddButton(right, "CoolBitmapButton6", {MaximiseLeft, TitleButtonTop}, MaximiseButton, false);
  auto* titleClose = AddButton(right, "CoolBitmapButton7", {TitleCloseLeft, TitleButtonTop},
                               TitleCloseButton, false);
  minimise->OnClick = [this](QObject*) { showMinimized(); };
  maximise->OnClick = [this](QObject*) {
    Log(QString::fromUtf8("Галерея постоянного размера: развернуть нечего"));
  };
  titleClose->OnClick = [this](QObject*) { close(); };
  return frame.Client;
}

void TFormGallery::BuildHeader(QWidget* client) {
  auto* header = Panel(client, "CoolPanel8", alNone, {0, 0, 765, 79}, CoolImages1, idHeaderStrip);
  auto* image = Place<TImage>(header, "Image1", alNone, {0, 0, 300, 79});
  image->SetTransparent(true);
  image->SetPicture(LoadPicture(":/pictures/header.jpg"));

  // Where the banners turn in the main window: a transparent panel shows the header's
  // wallpaper through.
  auto* banner =
      Panel(header, "CoolPanel9", alNone, {291, 10, 468, 60}, CoolImages1, idBottomStrip);
  banner->SetTransparent(true);
  banner->SetCaption(Text("Прозрачная панель: сквозь неё видны обои шапки"));
  banner->SetFont(PixelFont("Arial", 13, true));
  banner->SetFontColor(Qt::white);
}

void TFormGallery::BuildListColumn(QWidget* body) {
  auto* heading = Panel(body, "CoolPanel2", alNone, {0, 0, 297, 26}, CoolImages1, idHeading);
  heading->SetCaption(Text("Список игр (3)"));
  heading->SetFont(PixelFont("Arial", 13, true));
  auto* search = Panel(body, "CoolPanel7", alNone, {0, 26, 297, 33}, CoolImages1, idSearchStrip);
  search->SetCaption(Text(" Поиск:"));
  search->SetAlignment(taLeftJustify);
  search->SetFont(PixelFont("Arial", 13, true));
  auto* edit = new QLineEdit(search);
  edit->setObjectName("Edit1");
  edit->setGeometry(53, 4, 242, 24);
  edit->setFont(PixelFont("Arial", 13, true));
  edit->setText(QString::fromUtf8("Wolf"));

  auto* links = PlainPanel(body, "CoolPanel5", {0, 59, 297, 213});
  auto* disabled = new TabcURLLabel(links);
  disabled->setObjectName("DisabledURLLabel");
  disabled->move(20, 16);
  disabled->SetFont(PixelFont("MS Sans Serif", 11, true));
  disabled->SetCaption(Text("Недоступная ссылка (рельефная надпись)"));
  disabled->SetEnabled(false);

  EventLog = new QLabel(links);
  EventLog->setObjectName("EventLog");
  EventLog->setGeometry(8, 48, 281, 150);
  EventLog->setWordWrap(true);
  EventLog->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  EventLog->setFont(PixelFont("MS Sans Serif", 11));
  EventLog->setText(QString::fromUtf8("События кнопок и ссылок появятся здесь."));

  auto* splitter = PlainPanel(body, "Splitter1", {297, 0, 6, 272});
  splitter->SetBevelOuter(bvRaised);
}

void TFormGallery::BuildCodeColumn(QWidget* body) {
  auto* heading = Panel(body, "CoolPanel6", alNone, {303, 0, 462, 26}, CoolImages1, idHeading);
  heading->SetCaption(Text("Wolfenstein 3D (PC)"));
  heading->SetFont(PixelFont("Arial", 13, true));

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
  CoolMemo1->SetFont(PixelFont("MS Sans Serif", 12));
  CoolMemo1->Lines().SetText(
      Text("Во время игры нажмите Tab и наберите:\r\n\r\nMLI\tбессмертие, все ключи, оружие\r\n"
           "ILM\tто же самое\r\nBAT\tпропуск уровня\r\n\r\nКоды работают в версии 1.4 и "
           "новее.\r\n"));

  // The online-only link as the code column shows it when the codes are kept on the site.
  auto* online = PlainPanel(body, "CoolPanel4", {303, 196, 462, 76});
  auto* solution = new TabcURLLabel(online);
  solution->setObjectName("SolutionURLLabel");
  solution->SetAutoSize(false);
  solution->setGeometry(66, 4, 330, 68);
  solution->SetAlignment(taCenter);
  solution->SetWordWrap(true);
  solution->SetTransparent(true);
  solution->SetFont(PixelFont("MS Sans Serif", 13, true));
  solution->SetFontColor(Qt::red);
  solution->SetCaption(
      Text("Для просмотра информации необходимо\r\nподключиться к сети интернет\r\nи перейти "
           "на сайт trickfolio.example\r\nнажав эту ссылку"));
  solution->setCursor(Qt::PointingHandCursor);
  solution->OnClick = [this](QObject*) { Log(QString::fromUtf8("SolutionURLLabel.OnClick")); };
}

void TFormGallery::BuildBottomStrip(QWidget* client) {
  auto* strip = Panel(client, "CoolPanel3", alNone, {0, 351, 765, 52}, CoolImages1, idBottomStrip);
  auto* left = Panel(strip, "CoolPanel10", alNone, {0, 0, 297, 52}, CoolImages1, idBottomStrip);
  auto* arrows = Panel(left, "CoolPanel11", alNone, {88, 0, 105, 53}, CoolImages1, idBottomStrip);
  for (const char* name : {"CoolBitmapButton2", "CoolBitmapButton1"}) {
    const bool back = QLatin1String(name) == QLatin1String("CoolBitmapButton2");
    auto* button =
        AddButton(arrows, name, back ? QPoint(BackLeft, BackTop) : QPoint(ForwardLeft, ForwardTop),
                  back ? BackButton : ForwardButton);
    button->SetShadowEffect(false);
    button->SetPositionEffect(false);
    button->SetHint(Text(back ? "Назад" : "Вперёд"));
    button->SetShowHint(true);
  }
  Panel(strip, "CoolPanel21", alNone, {297, 0, 7, 52}, CoolImages1, idStripDivider);
  auto* print = AddButton(strip, "CoolBitmapButton9", {469, StripButtonTop}, PrintButton);
  auto* about = AddButton(strip, "CoolBitmapButton8", {498, StripButtonTop}, AboutButton);
  auto* update = AddButton(strip, "CoolBitmapButton5", {527, StripButtonTop}, UpdateButton);
  auto* closeButton = AddButton(strip, "CoolBitmapButton3", {693, StripButtonTop}, CloseButton);
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

void TFormGallery::BuildAboutStrip(QWidget* client) {
  auto* band = PlainPanel(client, "CoolPanelAbout", {0, 403, 765, 84});
  auto* linkStrip = PlainPanel(band, "Panel1", {0, 0, 320, 32});
  auto* link = new TabcURLLabel(linkStrip);
  link->setObjectName("abcURLLabel1");
  link->move(78, 9);
  QFont font = PixelFont("MS Sans Serif", 11);
  font.setUnderline(true);
  link->SetFont(font);
  link->SetFontColor(Qt::black);
  link->SetCaption(Text("Заказать рекламу в программе"));
  link->setCursor(Qt::PointingHandCursor);
  link->OnClick = [this](QObject*) { Log(QString::fromUtf8("abcURLLabel1.OnClick")); };

  auto* strip = Panel(band, "CoolPanel6", alNone, {0, 32, 320, 52}, CoolImages1, idBottomStrip);
  AddButton(strip, "AboutCoolBitmapButton3", {132, AboutStripButtonTop}, AboutCloseButton);

  auto* note = new QLabel(band);
  note->setGeometry(336, 8, 420, 70);
  note->setWordWrap(true);
  note->setFont(PixelFont("MS Sans Serif", 11));
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
