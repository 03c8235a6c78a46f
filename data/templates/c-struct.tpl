{! C: a struct per frame or glyph (its size, delay, character, advance and bytes) in one array. }
/* {name}: {frames} frame(s) of {width} x {height}, byte order {order}{#rle}, run-length compressed{/rle} */
#include <stdint.h>

#ifndef TOBRIN_BITMAP_TYPE
#define TOBRIN_BITMAP_TYPE
typedef struct {
    uint8_t width;
    uint8_t height;
    uint16_t delay;     /* milliseconds; 0 in a font */
    uint32_t code;      /* a font's character; the frame number otherwise */
    uint8_t advance;    /* how far the pen moves; the width otherwise */
    uint16_t size;      /* bytes in data */
    const uint8_t *data;
} tobrin_bitmap;
#endif

{#frames}
static const uint8_t {name}_{index}_data[{bytes}] = {
    {data:0x%02x per=16}
};
{/frames}

static const tobrin_bitmap {name}[{frames}] = {
{#frames}
    { {width}, {height}, {delay}, {code}, {advance}, {bytes}, {name}_{index}_data }{^last},{/last}{#font} /* {char} */{/font}
{/frames}
};
