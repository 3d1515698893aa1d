#include "populater/node_populater.h"

#include "chart/pie_chart.h"
#include "platform/folder_path.h"
#include "platform/locale_formats.h"
#include "platform/number_text.h"
#include "platform/operation_error.h"
#include "populater/size_text.h"

void cNodePopulater::GraphNode(TreeNode &n, DrawingSurface *Canvas, qint32)
{
    cPieChart chart;
    chart.setCanvas(Canvas);
    chart.setListBox(m_chartLines);
    chart.setSizeText(FormatSize);
    DrawingSurface *canvas = chart.Canvas();
    if (!canvas)
        throw OperationError("グラフの描画先がありません。");
    canvas->setFontSize(9);
    canvas->setFontName(QStringLiteral("ＭＳ Ｐゴシック"));

    const std::shared_ptr<cSections> sections = chart.Sections();
    double sum = 0;
    for (TreeNode *child = n.child(); child; child = child->next()) {
        // A placeholder stands for children not yet listed: it is skipped altogether.
        if (child->text() == placeholderText)
            continue;
        const double size = sizeOfTag(*child);
        sum += size;
        if (size != 0)
            sections->Add(size, -1, displayText(GetFolderName(child->key())), child->key())->Note = MarkText(marksOf(child->key()));
    }
    // The folder's own files, as counted, not its total less its sub-folders: that
    // difference of rounded sums can be anything, even below 0. They leave out what the
    // folder's own listing left out.
    const double ownFiles = ownFilesSizeOf(n, sum);
    if (ownFiles != 0)
        sections->Add(ownFiles, -1, ownFilesText, n.key())->Note = MarkText(marksOf(n.key()));
    sections->Sort(1);

    if (!m_breakdownList)
        throw OperationError("内訳の一覧がありません。");
    m_breakdownList->clearRows();
    const int count = sections->Count();
    for (int i = 1; i <= count; ++i) {
        const std::shared_ptr<cSection> section = sections->Item(i);
        ListRow *row = m_breakdownList->addRow(section->Key, section->Note.isEmpty() ? section->Text : section->Text + QLatin1Char(' ') + section->Note);
        if (!row)
            throw OperationError("内訳の行を追加できません: " + section->Text.toStdString());
        row->setSubItem(1, FormatSize(section->Size));
        row->setSortSize(section->Size);
        // The share is of the selected node, looked up afresh for every row; in the
        // window's flow that is the clicked node.
        TreeNode *selected = requireTree().selectedItem();
        TreeNode *divisorNode = selected ? requireTree().node(selected->key()) : nullptr;
        if (!divisorNode)
            throw OperationError("選択されたフォルダがありません。");
        const double divisor = sizeOfTag(*divisorNode);
        if (divisor == 0)
            throw OperationError("選択されたフォルダの容量が 0 です。");
        row->setSubItem(2, formatPercent(section->Size / divisor, 2));
    }
    chart.Draw();
}

double cNodePopulater::sizeOfTag(const TreeNode &node) const
{
    const std::optional<double> size = numberFromText(node.tag());
    if (!size)
        throw OperationError("ノードの容量を読めません: " + node.text().toStdString());
    return *size;
}
