/* Tobrin font of 4 glyphs in cells of 10 x 7, byte order: msb
 * (rows from the top, the leftmost pixel of each byte in bit 7; 1 = black).
 * Glyph i is F_BYTES bytes from f_bitmaps[f_offsets[i]], the character f_chars[i]. Its cell's column 0
 * stands at the pen + F_LEFT, its row F_ASCENT on the baseline; the pen then moves f_widths[i]. */
#ifndef F_TOBRIN_FONT
#define F_TOBRIN_FONT

#define F_WIDTH 10
#define F_HEIGHT 7
#define F_ASCENT 5
#define F_LEFT -1
#define F_COUNT 4
#define F_BYTES 14

static const unsigned char f_bitmaps[F_COUNT * F_BYTES] = {
    /* 'A' U+0041 */
    0x71, 0x40, 0x6f, 0x80, 0xe2, 0x00, 0x0f, 0xc0, 0xd9, 0x40, 0x0f, 0x00, 0x96, 0xc0,
    /* 'B' U+0042 */
    0x47, 0xc0, 0x4c, 0x00, 0x72, 0x40, 0x65, 0xc0, 0xa3, 0x00, 0x57, 0x00, 0x2b, 0xc0,
    /* U+00E9 */
    0x44, 0x40, 0x0b, 0x80, 0xbf, 0xc0, 0x3a, 0x00, 0x3e, 0xc0, 0x56, 0x00, 0x06, 0xc0,
    /* U+1F600 */
    0x39, 0xc0, 0x8b, 0x40, 0xf5, 0x80, 0x22, 0x00, 0x40, 0xc0, 0xaa, 0xc0, 0xc3, 0x80
};

static const unsigned char f_widths[F_COUNT] = {
    2, 3, 4, 5
};

static const unsigned long f_offsets[F_COUNT] = {
    0, 14, 28, 42
};

static const unsigned long f_chars[F_COUNT] = {
    65, 66, 233, 128512
};

#endif
