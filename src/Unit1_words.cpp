#include "Unit1.h"

void TForm1::setupSuggestions() {}
void TForm1::LoadDictionary(const QString &path) { (void)path; }
void TForm1::kursor_pomenalsa() { UpdateCaretPanel(); }
void TForm1::UpdateSuggestions(const QString &word) { (void)word; }
void TForm1::ListBox1Click() {}
void TForm1::ctrlCompletion(quint16 key) { (void)key; }
