#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QUrl>

#include "CardImageView.h"
#include "Localization.h"
#include "PelluxClientAppDelegate.h"
#include "PelluxFileObject.h"
#include "RecordSearch.h"
#include "RecordStore.h"
#include "RecordTableModel.h"

namespace {

QString local(const char* key) { return localized(QString::fromUtf8(key)); }

// The fifteen fields of a card, in the order of their type numbers.
const char* const kFieldNames[] = {"Name",        "Name (reading)",
                                   "Company",     "Company (reading)",
                                   "Department",  "Title",
                                   "Postal code", "Address",
                                   "Building",    "Phone",
                                   "Fax",         "Mobile",
                                   "E-mail",      "Web",
                                   "Memo"};

// The one acceptable image file a drop or the clipboard offers, or an empty string.
QString acceptableFile(const QMimeData* data) {
  if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile()) return {};
  const QString path = data->urls().first().toLocalFile();
  return PelluxClientAppDelegate::acceptsImageFile(path) ? path : QString();
}

}  // namespace

MainWindow::MainWindow(PelluxClientAppDelegate& app, QWidget* parent)
    : QMainWindow(parent),
      app_(app),
      model_(new RecordTableModel(app, this)),
      table_(new QTableView(this)),
      imageView_(new CardImageView(this)) {
  setObjectName(QStringLiteral("mainWindow"));
  setAcceptDrops(true);
  table_->setObjectName(QStringLiteral("recordTable"));
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setAlternatingRowColors(true);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 10);
  table_->setWordWrap(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setColumnWidth(RecordTableModel::Status, 120);
  table_->setColumnWidth(RecordTableModel::Name, 170);
  table_->setColumnWidth(RecordTableModel::Company, 200);
  table_->setColumnWidth(RecordTableModel::Scanned, 140);
  connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &MainWindow::showSelection);
  connect(model_, &QAbstractItemModel::modelReset, this, &MainWindow::showSelection);
  connect(model_, &QAbstractItemModel::dataChanged, this, &MainWindow::showSelection);

  auto* detail = new QSplitter(Qt::Vertical, this);
  detail->addWidget(imageView_);
  detail->addWidget(buildFieldForm());
  detail->setStretchFactor(0, 3);
  detail->setStretchFactor(1, 2);
  auto* split = new QSplitter(Qt::Horizontal, this);
  split->addWidget(table_);
  split->addWidget(detail);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  setCentralWidget(split);

  buildMenus();
  buildToolbar();
  buildStatusLine();
  resize(1180, 760);
}

QWidget* MainWindow::buildFieldForm() {
  auto* form = new QWidget(this);
  form->setObjectName(QStringLiteral("fieldForm"));
  auto* layout = new QFormLayout(form);
  for (int type = 1; type <= 15; ++type) {
    auto* field = new QLineEdit(form);
    field->setObjectName(QStringLiteral("field%1").arg(type));
    field->setReadOnly(true);
    layout->addRow(local(kFieldNames[type - 1]), field);
    fields_ << field;
  }
  auto* scroll = new QScrollArea(this);
  scroll->setWidget(form);
  scroll->setWidgetResizable(true);
  return scroll;
}

void MainWindow::buildMenus() {
  QMenu* application = menuBar()->addMenu(local("&Quillory"));
  application->addAction(local("Preferences…"), QKeySequence::Preferences, &app_,
                         &PelluxClientAppDelegate::showPreference);
  application->addAction(local("Advanced Preferences…"), &app_, &PelluxClientAppDelegate::showAdvancedPreference);
  application->addAction(local("Check for Updates…"), [this] { app_.checkUpdateHit(true); });
  application->addSeparator();
  application->addAction(local("Quit"), QKeySequence::Quit, qApp, &QApplication::quit);

  QMenu* file = menuBar()->addMenu(local("&File"));
  file->addAction(local("Import Card Image…"), QKeySequence::Open, this, &MainWindow::chooseImageFile);
  file->addAction(local("Paste Card Image"), QKeySequence::Paste, this, &MainWindow::pasteImage);

  QMenu* cards = menuBar()->addMenu(local("&Cards"));
  cards->addAction(local("Find"), QKeySequence::Find, [this] { search_->setFocus(); });
  cards->addAction(local("Classify Selected Cards…"), QKeySequence(Qt::CTRL | Qt::Key_K), &app_,
                   &PelluxClientAppDelegate::selectClassificationHit);
  cards->addSeparator();
  cards->addAction(local("Choose Classification…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), &app_,
                   &PelluxClientAppDelegate::showClassificationPreference);
  cards->addAction(local("Show All Classifications"), &app_, &PelluxClientAppDelegate::resetClassification);

  QMenu* help = menuBar()->addMenu(local("&Help"));
  help->addAction(local("Quillory Help"), QKeySequence::HelpContents, &app_, &PelluxClientAppDelegate::showHelp);
  help->addAction(local("Show Selected Cards as Text"), &app_, &PelluxClientAppDelegate::testHit);
}

void MainWindow::buildToolbar() {
  QToolBar* toolbar = addToolBar(local("Toolbar"));
  toolbar->setObjectName(QStringLiteral("toolbar"));
  toolbar->setMovable(false);
  toolbar->addAction(local("Classify"), &app_, &PelluxClientAppDelegate::selectClassificationHit);
  toolbar->addAction(local("Classification"), &app_, &PelluxClientAppDelegate::showClassificationPreference);
  toolbar->addAction(local("Preferences"), &app_, &PelluxClientAppDelegate::showPreference);
  auto* spacer = new QWidget(toolbar);
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  toolbar->addWidget(spacer);

  auto* scanner = new QLabel(toolbar);
  auto showScanner = [scanner](bool connected) {
    scanner->setText(connected ? local("Scanner connected") : local("No scanner"));
  };
  showScanner(app_.scannerConnected());
  connect(&app_, &PelluxClientAppDelegate::scannerConnectedChanged, scanner, showScanner);
  toolbar->addWidget(scanner);
  toolbar->addSeparator();

  search_ = new QLineEdit(toolbar);
  search_->setObjectName(QStringLiteral("searchField"));
  search_->setPlaceholderText(local("Search"));
  search_->setClearButtonEnabled(true);
  search_->setMaximumWidth(260);
  connect(search_, &QLineEdit::textChanged, this,
          [this](const QString& text) { app_.setFindPredicate(recordSearch(text)); });
  toolbar->addWidget(search_);
}

void MainWindow::buildStatusLine() {
  auto* message = new QLabel(this);
  message->setObjectName(QStringLiteral("statusMessage"));
  message->setText(app_.statusMessage());
  connect(&app_, &PelluxClientAppDelegate::statusMessageChanged, message, &QLabel::setText);
  statusBar()->addWidget(message, 1);

  auto* scannerSide = new QLabel(local("Insert cards face down, top edge first."), this);
  scannerSide->setVisible(app_.scannerConnected());
  connect(&app_, &PelluxClientAppDelegate::scannerConnectedChanged, scannerSide, &QLabel::setVisible);
  statusBar()->addPermanentWidget(scannerSide);

  const char* const texts[] = {"Create an account", "Forgot your password?"};
  for (int i = 0; i < 2; ++i) {
    linkTexts_[i] = local(texts[i]);
    links_[i] = new QLabel(linkTexts_[i], this);
    links_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    statusBar()->addPermanentWidget(links_[i]);
  }
}

void MainWindow::setLink(int which, const QUrl& url) {
  // The label's own words, underlined in the link colour, opening the address in the browser.
  links_[which]->setText(
      QStringLiteral("<a href=\"%1\">%2</a>").arg(url.toString().toHtmlEscaped(), linkTexts_[which].toHtmlEscaped()));
  links_[which]->setTextFormat(Qt::RichText);
  links_[which]->setOpenExternalLinks(true);
}

RecordList MainWindow::selectedRecords() const {
  RecordList records;
  for (const QModelIndex& index : table_->selectionModel()->selectedRows()) records << model_->recordAt(index.row());
  std::sort(records.begin(), records.end(),
            [this](const RecordRef& a, const RecordRef& b) { return model_->rowOf(a) < model_->rowOf(b); });
  return records;
}

void MainWindow::clearSelection() { table_->clearSelection(); }

void MainWindow::showSelection() {
  const RecordList selected = selectedRecords();
  const RecordRef record = selected.size() == 1 ? selected.first() : RecordRef();
  const QVariantMap fields =
      record ? record->value(PelluxFileObject::key_localDigitizedAttributes()).toMap() : QVariantMap();
  for (int type = 1; type <= 15; ++type) fields_[type - 1]->setText(fields.value(QString::number(type)).toString());
  QImage image;
  if (record) {
    if (const std::optional<QByteArray> bytes = app_.store().jpegDataWithRecord(*record))
      image = QImage::fromData(*bytes);
    app_.setImageViewRotation(record->value(PelluxFileObject::key_localImageRotation()).toInt());
  }
  imageView_->setImage(image);
  app_.setStatusMessageForSelection();
}

void MainWindow::importFile(const QString& path) {
  const std::optional<PelluxError> error = app_.importImageFile(path);
  app_.noticeErrors(error ? QVariant::fromValue(*error) : QVariant(), local("Import"), kPelluxError_Code_FileAccess,
                    true);
  if (!error) table_->selectRow(model_->rowOf(app_.records().last()));
}

void MainWindow::chooseImageFile() {
  const QString path = QFileDialog::getOpenFileName(this, local("Import Card Image"), QString(),
                                                    local("Images (*.jpg *.jpeg *.png *.gif *.bmp *.tiff *.tif)"));
  if (!path.isEmpty()) importFile(path);
}

void MainWindow::pasteImage() {
  const QString path = acceptableFile(QApplication::clipboard()->mimeData());
  if (!path.isEmpty()) importFile(path);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!acceptableFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = acceptableFile(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  importFile(path);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // On Linux a program whose main window closes has ended: quit the normal way, with its saving.
  event->accept();
  QApplication::quit();
}
