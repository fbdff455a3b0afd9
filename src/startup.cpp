#include "startup.h"

#include "Unit1.h"
#include "Unit3.h"
#include "Unit5.h"

void createForms(const QStringList &arguments)
{
    Form1 = new TForm1(arguments);
    Form3 = new TForm3(Form1);
    Form5 = new TForm5(Form1);
}

void destroyForms()
{
    delete Form1; // owns the other windows
    Form1 = nullptr;
    Form3 = nullptr;
    Form5 = nullptr;
}
