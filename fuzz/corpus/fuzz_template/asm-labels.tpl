{! Assembler: the sizes as constants, then a label per frame (or glyph) over its bytes, eight to a .db line. }
; {name}: {frames} frame(s) of {width} x {height}, byte order {order}{#rle}, run-length compressed{/rle}
{NAME}_WIDTH = {width}
{NAME}_HEIGHT = {height}
{NAME}_FRAMES = {frames}
{#frames}

{name}_{index}:
{#font}
    ; {char} U+{code:%04X}, advance {advance}
{/font}
{#delays}
    ; delay {delay} ms
{/delays}
    .db {data:$%02x per=8 sep=","}
{/frames}
