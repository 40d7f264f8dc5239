import QtQuick 2.15
import design 1.0

// One page of settings: rows stacked from the top, scrolling when they do not fit.
Flickable {
    id: page

    default property alias rows: column.data

    clip: true
    contentWidth: width
    contentHeight: column.implicitHeight
    boundsBehavior: Flickable.StopAtBounds

    Column {
        id: column
        width: page.width
        spacing: Design.spacing
    }
}
