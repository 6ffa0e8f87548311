#pragma once

class QPrinter;
class QWidget;

// The platform's print-setup dialog on `printer`: printer choice and its paper, without a
// page range or printing to a file. It opens centred across the screen and a third of the
// way down its free height. True when the user chose OK; `printer` then holds the choice.
bool RunPrinterSetupDialog(QPrinter& printer, QWidget* parent);
