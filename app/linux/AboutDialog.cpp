#include "app/linux/AboutDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "VestrelVersion.h"
#include "app/linux/TrayStateLook.h"

namespace {

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  // Taken literally, like a Windows static control without prefix handling.
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Info"));
  // Modal to its owner, as on Windows, where the owner is the hidden main
  // window: nothing the user can see is blocked, and the tray menu (Quit,
  // or Info... again) keeps working while the box is open. Application
  // modality would block the tray icon itself.
  setWindowModality(Qt::WindowModal);
  // A plain box: no help button, no resizing.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);

  auto* emblem = new QLabel(this);
  emblem->setObjectName(QStringLiteral("emblem"));
  emblem->setPixmap(QPixmap(EmblemPath(TrayStandby, 32)));
  emblem->setAlignment(Qt::AlignTop);

  auto* okButton = new QPushButton(QStringLiteral("OK"), this);
  okButton->setDefault(true);
  okButton->setAutoDefault(true);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch();
  buttonRow->addWidget(okButton);

  auto* texts = new QVBoxLayout;
  texts->addWidget(PlainLabel(QStringLiteral(VP_ABOUT_TITLE), this));
  texts->addWidget(PlainLabel(QStringLiteral("Dorvik panel bridge, 2025"), this));
  texts->addSpacing(8);
  texts->addLayout(buttonRow);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(20, 20, 20, 14);
  layout->setSpacing(14);
  layout->addWidget(emblem);
  layout->addLayout(texts);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  okButton->setFocus();
}
