#pragma once

#include <QWidget>
#include <memory>

namespace Ui {
class FormNet;
}

// Fifteen motoring web sites; a click on a name opens the address in its tag.
class FormNet : public QWidget {
    Q_OBJECT
public:
    static constexpr int SiteCount = 15;

    explicit FormNet(QWidget* parent = nullptr);
    ~FormNet() override;

public slots:
    void Label1_Click(int index);
    void Command1_Click();

private:
    std::unique_ptr<Ui::FormNet> ui;
};
