/* IDCardRecog: recognition of a photographed Chinese resident ID card.
 * Texts are NUL-terminated 8-bit strings in the local encoding. */
#ifndef IDCARDRECOG_IDCARDRECOG_H
#define IDCARDRECOG_IDCARDRECOG_H

#if defined(IDCARDRECOG_BUILD)
#define IDCARDRECOG_API __attribute__((visibility("default")))
#else
#define IDCARDRECOG_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the recognition engine; 0 when it is ready, -1 otherwise. Calling
 * it is optional: the first recognition prepares the engine as well. */
IDCARDRECOG_API int fnInit(void);

/* Finds the card in the picture at imagePath and reads its front. The result
 * is labelled lines ("姓名:...", "性别:...", "民族:...", "出生:...",
 * "住址:...", "公民身份号码:..."); a number whose check digit fails is
 * followed by " (号码无效)", a birth date or sex that disagrees with a valid
 * number by " (与号码不符)", a date, sex or nation that is none by
 * " (无法识别)"; a picture without a readable card gives a line saying so.
 * Never NULL; the text belongs to the library and stays valid
 * until the next call from the same thread. */
IDCARDRECOG_API const char* fnRecogIDCardEx(const char* imagePath);

#ifdef __cplusplus
}
#endif

#endif
