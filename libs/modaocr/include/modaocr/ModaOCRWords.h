#ifndef MODAOCR_MODAOCRWORDS_H
#define MODAOCR_MODAOCRWORDS_H

/* The OCR engine's words with their places: what a text layer over the page
   picture needs. Same engine, models and thread rules as fnModaOCREx (see
   ModaOCR.h); the returned text belongs to the engine and stays valid on
   the calling thread until that thread's next call of the same function. */

#include <modaocr/ModaOCR.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The words of the picture at imagePath, as NUL-terminated UTF-8 text with
   one word a line:

     <line> <left> <top> <right> <bottom> <confidence> <word>\n

   line numbers the text lines of the page from 0 in reading order (the
   words of a line follow each other, left to right); left, top, right and
   bottom are the word's box in pixels of the picture (right and bottom
   excluded, origin top left); confidence is 0..100; word holds no white
   space. Chinese text comes one character a word. Empty text when the
   picture has no words, cannot be read, or the engine has no models (see
   fnModaOCRLanguages). Never a null pointer. */
MODAOCR_API const char* fnModaOCRWords(const char* imagePath);

/* The languages the engine reads with, as Tesseract names joined by '+'
   ("chi_sim+eng" when both model sets are installed, else the one that is);
   an empty text when no model set could be loaded. Waits for the start of
   fnInit; starts the engine with the system's models when fnInit was not
   called. */
MODAOCR_API const char* fnModaOCRLanguages(void);

#ifdef __cplusplus
}
#endif

#endif
