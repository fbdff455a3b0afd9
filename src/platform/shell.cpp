#include "platform/shell.h"

#include <QDesktopServices>
#include <QUrl>

namespace {

class DesktopShell final : public Shell
{
public:
    void openAddress(const QString &address) override
    {
        // A missing or failing handler is not the user's concern here: nothing is shown.
        (void)QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
    }
};

Shell *installed = nullptr;

} // namespace

Shell &Shell::current()
{
    static DesktopShell desktop;
    return installed ? *installed : desktop;
}

void Shell::install(Shell *shell)
{
    installed = shell;
}
