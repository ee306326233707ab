#include "addedit.h"

#include "logo_cache.h"
#include "paths.h"

#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

TAddEditForm* AddEditForm = nullptr;

namespace {

template <typename Widget>
Widget* placed(Widget* widget, const char* name, int left, int top, int width = 0, int height = 0) {
  widget->setObjectName(QLatin1String(name));
  widget->move(left, top);
  if (width > 0) {
    widget->resize(width, height);
  }
  return widget;
}

}  // namespace

TAddEditForm::TAddEditForm(QWidget* parent)
    : QDialog(parent),
      m_inform([this](const QString& text) {
        QMessageBox box(QMessageBox::Information, QString(), text, QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);  // the path holds the station's name
        box.exec();
      }),
      m_fetcher(new qv::playlists::LogoFetcher(this)) {
  setObjectName(QStringLiteral("AddEditForm"));
  setModal(true);
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFixedSize(416, 150);

  // Created in tab order.
  lName = placed(new QLabel(this), "lName", 8, 19);
  eName = placed(new QLineEdit(this), "eName", 96, 16, 202, 23);
  lLink = placed(new QLabel(this), "lLink", 8, 48);
  eLink = placed(new QLineEdit(this), "eLink", 96, 45, 202, 23);
  lTag = placed(new QLabel(this), "lTag", 8, 77);
  eTag = placed(new QLineEdit(this), "eTag", 96, 74, 201, 23);
  lLogo = placed(new QLabel(this), "lLogo", 8, 106);
  eLogo = placed(new QLineEdit(this), "eLogo", 96, 103, 201, 23);
  bOk = placed(new QPushButton(this), "bOk", 319, 15, 89, 25);
  bcancel = placed(new QPushButton(this), "bcancel", 319, 102, 89, 25);
  bOk->setDefault(true);
  // Typed text is shown as text, never as markup.
  for (QLabel* label : {lName, lLink, lTag, lLogo}) {
    label->setTextFormat(Qt::PlainText);
  }
  FormShow();

  connect(bOk, &QPushButton::clicked, this, &TAddEditForm::bOkClick);
  connect(bcancel, &QPushButton::clicked, this, &QDialog::reject);
}

TAddEditForm::~TAddEditForm() = default;

void TAddEditForm::FormShow() {
  qv::i18n::MainFormTexts builtIn;
  if (!m_texts) {
    // Only the dialog's own fields: applyBuiltInTexts would also put every program-wide text back
    // to English, undoing the language chosen at start-up.
    for (const qv::i18n::InterfaceText& text : qv::i18n::interfaceTexts()) {
      if (text.field) {
        builtIn.*text.field = QString::fromUtf8(text.builtIn);
      }
    }
  }
  const qv::i18n::MainFormTexts& texts = m_texts ? *m_texts : builtIn;
  setWindowTitle(texts.l_addform);
  lName->setText(texts.l_addtitle);
  lLink->setText(texts.l_addlink);
  lTag->setText(texts.l_addtag);
  lLogo->setText(texts.l_addpic);
  bOk->setText(texts.l_addbtn);
  bcancel->setText(texts.l_cancel);
  for (QLabel* label : {lName, lLink, lTag, lLogo}) {
    label->adjustSize();
  }
}

void TAddEditForm::showEvent(QShowEvent* event) {
  FormShow();
  eName->setFocus();
  QDialog::showEvent(event);
}

void TAddEditForm::bOkClick() {
  const QString logo = eLogo->text().trimmed();
  if (!logo.isEmpty()) {
    const QString covers = m_coversFolder.isEmpty() ? qv::paths::CoversFolder() : m_coversFolder;
    const QString path = qv::playlists::StationLogoFile(covers, eName->text(), logo);
    const QPointer<TAddEditForm> self(this);
    m_fetcher->fetch(logo, path, [self, path](const QString& error) {
      if (self && !error.isEmpty()) {
        self->m_inform(QStringLiteral("Can't save logo image to local storage! ") + path + QStringLiteral("\n") +
                       error);
      }
    });
  }
  // Stored as typed: blanks around a name are the user's.
  if (m_store) {
    m_store(EDIT_ID, {eName->text(), eLink->text(), eTag->text(), eLogo->text()});
  }
  accept();
}

void TAddEditForm::FormClose() {
  for (QLineEdit* edit : {eName, eLink, eTag, eLogo}) {
    edit->clear();
  }
}

void TAddEditForm::done(int result) {
  FormClose();
  QDialog::done(result);
}
