#include "links/LinksWindow.h"

#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "ui_LinksWindow.h"

#include <QShortcut>

namespace
{
QString SiteLabelName(int index)
{
    return QStringLiteral("lblSite%1").arg(index);
}
} // namespace

LinksWindow::LinksWindow(QWidget* parent) : QWidget(parent), ui(SetUpUi<Ui::LinksWindow>(this))
{
    for (int i = 0; i < SiteCount; ++i) {
        auto* label = findChild<ClickLabel*>(SiteLabelName(i));
        label->setToolTip(Tag(label));
        connect(label, &ClickLabel::clicked, this, [this, i] { OpenSite(i); });
    }
    connect(ui->cmdClose, &QPushButton::clicked, this, &LinksWindow::CloseWindow);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &LinksWindow::CloseWindow);
}

LinksWindow::~LinksWindow() = default;

void LinksWindow::OpenSite(int index)
{
    if (const auto* label = findChild<ClickLabel*>(SiteLabelName(index)))
        OpenLink(this, Tag(label));
}

void LinksWindow::CloseWindow()
{
    close();
}
