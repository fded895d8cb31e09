#pragma once

#include <QWidget>
#include <memory>

namespace Ui
{
class LinksWindow;
}

// Fifteen motoring web sites; a click on a name opens the address in its tag.
class LinksWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int SiteCount = 15;

    explicit LinksWindow(QWidget* parent = nullptr);
    ~LinksWindow() override;

public slots:
    void OpenSite(int index);
    void CloseWindow();

private:
    std::unique_ptr<Ui::LinksWindow> ui;
};
