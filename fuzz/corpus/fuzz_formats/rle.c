/* Tobrin picture 13 x 9, byte order: msb, run-length compressed: whole
 * (rows from the top, the leftmost pixel of each byte in bit 7; 1 = black).
 * tobrin_rle_decode (docs/rle_decode.c) turns the SEED_SIZE bytes into SEED_RAW_SIZE. */
#ifndef SEED_TOBRIN_PICTURE
#define SEED_TOBRIN_PICTURE

#define SEED_WIDTH 13
#define SEED_HEIGHT 9
#define SEED_RAW_SIZE 18
#define SEED_SIZE 19

static const unsigned char seed[SEED_SIZE] = {
    0x11, 0x95, 0x28, 0x52, 0xa0, 0x2a, 0x50, 0xa5, 0x48, 0x54, 0xa8, 0x4a, 0x90, 0xa9, 0x50, 0x95,
    0x28, 0x52, 0xa0
};

#endif
