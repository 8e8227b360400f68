#include "ui/window/scene_panel.h"

#include "ui/window/recorded_at.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>

namespace {

constexpr int kPanelWidth = 380;
constexpr int kPanelGap = 8;

QTableWidgetItem* Cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);   // owned by the table once set
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

std::vector<SceneRow> SceneRows(const std::vector<std::int32_t>& starts, std::int64_t frameCount,
                                const std::vector<RecordingMark>& marks)
{
    std::vector<SceneRow> rows;
    if (frameCount <= 0) {
        return rows;
    }
    rows.reserve(starts.size() + 1);
    std::int64_t first = 0;
    for (std::size_t i = 0; i <= starts.size(); ++i) {
        const std::int64_t next = i < starts.size() ? starts[i] : frameCount;
        rows.push_back({first, next - first, zv::RecordedSecondsAt(marks, first)});
        first = next;
    }
    return rows;
}

void CScenePanel::Create(QWidget* window, Choose choose)
{
    m_pWindow = window;
    m_choose = std::move(choose);
    m_pDock = new QDockWidget(QStringLiteral("Scenes"), window);   // owned by window
    m_pDock->setObjectName(QStringLiteral("Scenes"));
    m_pDock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    m_pDock->setFloating(true);
    m_pTable = new QTableWidget(0, 4, m_pDock);
    m_pTable->setHorizontalHeaderLabels({QStringLiteral("Scene"), QStringLiteral("First frame"), QStringLiteral("Length"),
                                         QStringLiteral("Recorded")});
    m_pTable->verticalHeader()->hide();
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_pTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pTable->horizontalHeader()->setStretchLastSection(true);
    m_pDock->setWidget(m_pTable);
    QObject::connect(m_pTable, &QTableWidget::cellClicked, m_pDock, [this](int row, int) {
        if (row >= 0 && static_cast<std::size_t>(row) < m_firsts.size() && m_choose) {
            m_choose(m_firsts[static_cast<std::size_t>(row)]);
        }
    });
    m_pDock->hide();
}

// Placed beside the window when it comes up; where the person has moved it, it stays.
void CScenePanel::Show()
{
    if (!m_pDock->isVisible()) {
        const QRect frame = m_pWindow->frameGeometry();
        m_pDock->setGeometry(frame.right() + kPanelGap, frame.top(), kPanelWidth, std::max(frame.height(), 200));
    }
    m_pDock->show();
    m_pDock->raise();
}

bool CScenePanel::Visible() const
{
    return m_pDock->isVisible();
}

void CScenePanel::Fill(const std::vector<SceneRow>& rows)
{
    Clear();
    m_pTable->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        m_pTable->setItem(row, 0, Cell(QString::number(row + 1)));
        m_pTable->setItem(row, 1, Cell(QString::number(rows[i].first)));
        m_pTable->setItem(row, 2, Cell(QString::number(rows[i].length)));
        m_pTable->setItem(row, 3, Cell(QString::fromStdString(FormatRecordedAt(rows[i].recorded))));
        m_firsts.push_back(rows[i].first);
    }
    m_pTable->resizeColumnsToContents();
}

void CScenePanel::Clear()
{
    m_pTable->setRowCount(0);
    m_firsts.clear();
    m_nCurrent = -1;
}

void CScenePanel::ShowFrame(std::int64_t frame)
{
    const auto after = std::upper_bound(m_firsts.begin(), m_firsts.end(), frame);
    const int row = static_cast<int>(after - m_firsts.begin()) - 1;
    if (row == m_nCurrent || row < 0) {
        return;
    }
    m_nCurrent = row;
    m_pTable->selectRow(row);
    m_pTable->scrollToItem(m_pTable->item(row, 0));
}
