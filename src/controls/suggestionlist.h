#pragma once

#include <QAbstractScrollArea>

class SuggestionModel;

// The suggestion list beside the editor: one column of text rows of equal
// height. It lays out and paints only the rows in view, so refilling it
// costs the same for ten items as for a quarter of a million.
class SuggestionList : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit SuggestionList(QWidget *parent = nullptr);

    SuggestionModel *model() const { return m_model; }

    int count() const;
    QString itemText(int row) const;
    int currentRow() const { return m_current; }
    // Selects a row (-1: none) and scrolls it into view; emits nothing.
    void setCurrentRow(int row);
    int topRow() const;
    int rowHeight() const;
    int rowAt(int y) const;            // viewport coordinates; -1 when no row
    QRect visualRect(int row) const;   // viewport coordinates

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A mouse click on an item, or a change of the selected item by a key.
    void itemChosen(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void modelReset();
    void updateScrollBar();
    int visibleRows() const; // rows that fit wholly
    void ensureVisible(int row);

    SuggestionModel *m_model;
    int m_current = -1;
    bool m_pressed = false;
};
