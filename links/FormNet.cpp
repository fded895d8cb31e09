#include "links/FormNet.h"

#include "common/Platform.h"
#include "common/SetUpUi.h"
#include "ui_FormNet.h"

#include <QShortcut>

namespace {
QString SiteLabelName(int index)
{
    return QStringLiteral("Label1_%1").arg(index);
}
} // namespace

FormNet::FormNet(QWidget* parent) : QWidget(parent), ui(SetUpUi<Ui::FormNet>(this))
{
    for (int i = 0; i < SiteCount; ++i) {
        auto* label = findChild<ClickLabel*>(SiteLabelName(i));
        label->setToolTip(Tag(label));
        connect(label, &ClickLabel::clicked, this, [this, i] { Label1_Click(i); });
    }
    connect(ui->Command1, &QPushButton::clicked, this, &FormNet::Command1_Click);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &FormNet::Command1_Click);
}

FormNet::~FormNet() = default;

void FormNet::Label1_Click(int index)
{
    if (const auto* label = findChild<ClickLabel*>(SiteLabelName(index)))
        OpenLink(this, Tag(label));
}

void FormNet::Command1_Click()
{
    close();
}
