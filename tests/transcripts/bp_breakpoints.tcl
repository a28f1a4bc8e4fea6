# host: engine-double -engine bp_breakpoints.engine -calls
# Breakpoints: the listing, removal by full or bare file name, deletion by index list, and the
# text of every failure.
bp list
bp add missing.v 3
bp add counter.v 12
bp add {C:\work\src\top.vhd} 0x1C
bp add tb.v 40
bp add counter.v 12
bp list
bp remove top.vhd 28
bp remove top.vhd 28
bp remove TOP.vhd 28
bp remove counter.v 12
bp remove counter.v 13
bp list
bp add f.vhd abc
bp remove f.vhd 1.5
bp del 3 x 5
bp del 3 99 5
bp list
bp del
bp del 4 4
bp list extra
bp clear now
bp add tb.v
bp remove tb.v 1 2
bp
bp ADD tb.v 1
bp clear
bp list
