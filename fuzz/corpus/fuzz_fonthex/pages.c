/* Tobrin font of 4 glyphs in cells of 5 x 7, byte order: pages
 * (pages of 8 rows from the top, one byte per column, the top row in bit 0; 1 = black).
 * Glyph i is F_BYTES bytes from f_bitmaps[f_offsets[i]], the character F_FIRST + i. Its cell's column 0
 * stands at the pen + F_LEFT, its row F_ASCENT on the baseline; the pen then moves f_widths[i]. */
#ifndef F_TOBRIN_FONT
#define F_TOBRIN_FONT

#define F_WIDTH 5
#define F_HEIGHT 7
#define F_ASCENT 5
#define F_LEFT 0
#define F_COUNT 4
#define F_BYTES 5
#define F_FIRST 48

static const unsigned char f_bitmaps[F_COUNT * F_BYTES] = {
    /* '0' U+0030 */
    0x18, 0x3d, 0x1f, 0x09, 0x46,
    /* '1' U+0031 */
    0x0a, 0x77, 0x52, 0x12, 0x26,
    /* '2' U+0032 */
    0x32, 0x29, 0x78, 0x78, 0x76,
    /* '3' U+0033 */
    0x34, 0x18, 0x7b, 0x33, 0x0f
};

static const unsigned char f_widths[F_COUNT] = {
    2, 3, 4, 5
};

static const unsigned long f_offsets[F_COUNT] = {
    0, 5, 10, 15
};

#endif
