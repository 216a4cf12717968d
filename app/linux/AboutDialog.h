#pragma once

#include <QDialog>

// The "Info" box: the grey emblem, the product line and a line of our own.
// "OK" or Enter accept it; Escape and the title bar's close button reject it.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};
