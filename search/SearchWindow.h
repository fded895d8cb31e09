#pragma once

#include "bank/Cipher.h"
#include "search/SearchIndex.h"

#include <QWidget>
#include <memory>

class SearchResults;

namespace Ui
{
class SearchWindow;
}

// Finds questions of the chosen bank by any words of their text, options or explanation as
// the learner types; a result opens in practice at that question, the other results after it.
class SearchWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SearchWindow(QWidget* parent = nullptr);
    ~SearchWindow() override;

    // Reads the bank's questions into the index.
    void ReadData();

    // The window's state: written only by ReadData and the handlers, read by the tests.
    SearchIndex index;
    IncrementalSearch search{index};

public slots:
    void QueryChanged();
    void OpenCurrentResult();
    void OpenResult(const QModelIndex& row);

protected:
    // Up, Down and the page keys in the field move through the results.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void LoadIndex();
    void ShowCount(qsizetype count);

    std::unique_ptr<Ui::SearchWindow> ui;
    SearchResults* results;
    ::Cipher cipher;
};
