/* Tobrin picture 13 x 9, byte order: lsb
 * (rows from the top, the leftmost pixel of each byte in bit 0; 1 = black). */
#ifndef SEED_TOBRIN_PICTURE
#define SEED_TOBRIN_PICTURE

#define SEED_WIDTH 13
#define SEED_HEIGHT 9

static const unsigned char seed[18] = {
    0xa9, 0x14, 0x4a, 0x05, 0x54, 0x0a, 0xa5, 0x12, 0x2a, 0x15, 0x52, 0x09, 0x95, 0x0a, 0xa9, 0x14,
    0x4a, 0x05
};

#endif
