/* Tobrin picture 13 x 9, byte order: pages, run-length compressed: rows alone
 * (pages of 8 rows from the top, one byte per column, the top row in bit 0; 1 = black).
 * tobrin_rle_decode (docs/rle_decode.c) turns the SEED_SIZE bytes into SEED_RAW_SIZE. */
#ifndef SEED_TOBRIN_PICTURE
#define SEED_TOBRIN_PICTURE

#define SEED_WIDTH 13
#define SEED_HEIGHT 9
#define SEED_RAW_SIZE 26
#define SEED_SIZE 28

static const unsigned char seed[SEED_SIZE] = {
    0x0c, 0xc9, 0x32, 0x4c, 0x93, 0x64, 0x99, 0x26, 0xc9, 0x32, 0x4c, 0x93, 0x64, 0x99, 0x0c, 0x00,
    0x01, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00
};

#endif
