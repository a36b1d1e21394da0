#pragma once
#include <QHBoxLayout>

class QDialog;
class QPushButton;

// The designer dialogs' buttons at the bottom right: "&Ok" (default, accepts)
// and "&Anuluj" (rejects, also on Escape).
QHBoxLayout* OkCancelRow(QDialog* dialog, QPushButton*& ok, QPushButton*& cancel);
