{! A C array, as Export writes one: NAME[] with NAME_WIDTH and NAME_HEIGHT; a set is NAME[NAME_FRAMES][] with its delays when they differ. }
{#single}
/* Tobrin picture {width} x {height}, byte order: {order}
{/single}
{^single}
/* Tobrin picture set of {frames} frames of {width} x {height}, byte order: {order}
{/single}
 * ({#msb}rows from the top, the leftmost pixel of each byte in bit 7{/msb}{#lsb}rows from the top, the leftmost pixel of each byte in bit 0{/lsb}{#pages}pages of 8 rows from the top, one byte per column, the top row in bit 0{/pages}; 1 = black). */
#ifndef {NAME}_TOBRIN_PICTURE
#define {NAME}_TOBRIN_PICTURE

{#single}
#define {NAME}_WIDTH {width}
#define {NAME}_HEIGHT {height}

static const unsigned char {name}[{bytes}] = {
    {data:0x%02x per=16}
};
{/single}
{^single}
#define {NAME}_FRAMES {frames}
#define {NAME}_WIDTH {width}
#define {NAME}_HEIGHT {height}

static const unsigned char {name}[{NAME}_FRAMES][{bytes}] = {
{#frames}
    { /* frame {index} */
        {data:0x%02x per=16}
    }{^last},{/last}
{/frames}
};
{#delays}

/* How long each frame is shown, in milliseconds. */
static const unsigned short {name}_delays[{NAME}_FRAMES] = {
    {delays:%d per=12}
};
{/delays}
{/single}

#endif
