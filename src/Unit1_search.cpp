#include "Unit1.h"

void TForm1::setupSearch() {}
bool TForm1::searchEventFilter(QObject *, QEvent *) { return false; }
void TForm1::DoFind(int key) { (void)key; }
void TForm1::N7Click() {}
void TForm1::N8Click() {}
void TForm1::N10Click() {}
void TForm1::Panel2Click() {}
void TForm1::Edit1KeyDown(quint16 &, TShiftState) {}
void TForm1::Edit1KeyUp(quint16 &, TShiftState) {}
void TForm1::CheckBox1Click() {}
void TForm1::ReplaceDialog1Find() {}
void TForm1::ReplaceDialog1Replace() {}
