"""The printed sheets of the application workbook, in tab order."""

import bouka
import daichou
import gaiyousho
import ininjou
import jokyo
import kakunin
import kanri
import keikakuhenkou
import kensa
import kiroku
import koujitodoke

ALL = [
    kakunin.build,
    gaiyousho.build,
    koujitodoke.build,
    ininjou.build,
    keikakuhenkou.build,
    kensa.intermediate,
    kensa.completion,
    kensa.completion_fourth,
    jokyo.build,
    bouka.build,
    kanri.build,
    daichou.build,
    kiroku.build,
]
