// The database classes: thin C++ handles over CBASE32's structures. The
// wizard library QVWIZ32.DLL exports their members; the string bodies marked
// CBASE32_API (and the Field4info/Tag4info constructors and destructors)
// come from CBASE32.DLL itself.
//
// Handle classes hold one pointer to the structure they stand for; copying a
// handle copies the pointer and a handle never frees its structure.
// Structure classes (Code4, File4, File4seqRead, File4seqWrite, List4,
// Sort4) are the structure itself. Members named in camel case call the C
// function of their class's prefix with the name in lower case and an
// underscore before each former capital (Data4::appendBlank -> d4append_blank)
// and return its result unchanged.
#ifndef CBASE32_HPP
#define CBASE32_HPP

#include "cbase32.h"

#if defined(_WIN32) && !defined(CBASE32_STATIC)
#ifdef QVWIZ32_DB_BUILD
#define QVDB_API __declspec(dllexport)
#else
#define QVDB_API __declspec(dllimport)
#endif
#else
#define QVDB_API
#endif

// The Str4 virtuals whose bodies are this library's. CBASE32 defines the
// abstract Str4's table of virtuals (its first virtual is CBASE32's), so it
// carries private copies of these bodies for it.
#ifdef CBASE32_BUILD
#define STR4_OWN_API
#else
#define STR4_OWN_API QVDB_API
#endif

class Code4;
class Data4;
class Index4;
class Tag4;
class Expr4;

// The string interface. The slot order of the virtuals is part of the
// interface: programs built against it call through the table.
class Str4 {
public:
    CBASE32_API Str4();
    CBASE32_API virtual operator long();
    STR4_OWN_API virtual void changed();
    STR4_OWN_API virtual int decimals();
    CBASE32_API virtual unsigned len();
    STR4_OWN_API virtual unsigned maximum();
    virtual char* ptr() = 0;
    CBASE32_API virtual char* str();
    STR4_OWN_API virtual int setLen(unsigned newLen);
    STR4_OWN_API virtual int setMax(unsigned newMax);

    CBASE32_API int assign(const char* text);
    CBASE32_API int assign(Str4& from);
    CBASE32_API int operator==(Str4& other);
    CBASE32_API int operator>(Str4& other);
    CBASE32_API int operator<(Str4& other);
    STR4_OWN_API int operator!=(Str4& other);
    STR4_OWN_API int operator<=(Str4& other);
    STR4_OWN_API int operator>=(Str4& other);
};

class QVDB_API Str4char : public Str4 {
public:
    Str4char(char c = ' ');
    unsigned len();
    char* ptr();
    char c;
};

class QVDB_API Str4ptr : public Str4 {
public:
    Str4ptr(char* p);
    char* ptr();
    char* p;
};

class QVDB_API Str4len : public Str4 {
public:
    Str4len(void* p, unsigned len);
    unsigned len();
    char* ptr();
    char* p;
    unsigned curLen;
};

class Str4max : public Str4 {
public:
    QVDB_API Str4max(void* p, unsigned maximum);
    QVDB_API unsigned len();
    QVDB_API unsigned maximum();
    QVDB_API char* ptr();
    CBASE32_API int setLen(unsigned newLen);
    char* p;
    unsigned curLen;
    unsigned maxLen;
};

class Str4ten : public Str4 {
public:
    QVDB_API Str4ten();
    QVDB_API Str4ten(const char* text);
    QVDB_API Str4ten(Str4& from);
    QVDB_API unsigned len();
    QVDB_API unsigned maximum();
    QVDB_API char* ptr();
    CBASE32_API int setLen(unsigned newLen);
    unsigned curLen;
    char buf[11];
};

class Str4large : public Str4 {
public:
    QVDB_API Str4large();
    QVDB_API Str4large(const char* text);
    QVDB_API Str4large(Str4& from);
    QVDB_API unsigned len();
    QVDB_API unsigned maximum();
    QVDB_API char* ptr();
    CBASE32_API int setLen(unsigned newLen);
    unsigned curLen;
    char buf[256];
};

// A Str4max over a buffer of its own.
class QVDB_API Str4flex : public Str4max {
public:
    Str4flex(Code4& cb, unsigned maximum = 255);
    Str4flex(const Str4flex& other);
    ~Str4flex();
    char* str();
    Str4flex& operator=(Str4& from);
    Str4flex& operator=(const Str4flex& from);
};

// ---- structure classes ----

class QVDB_API Code4 : public CODE4 {
public:
    Code4();
    Code4(int init);
    int init();
    int initUndo();
    int closeAll();
    DATA4* data(char* alias);
    int flushFiles();
    int optStart();
    int optSuspend();
    int calcCreate(Expr4 expr, char* name);
    void calcReset();
    int error(int code, char* s1 = 0, char* s2 = 0, char* s3 = 0);
    void exit();
    void exitTest();
    int unlock();
    int QvcoError();
    ERROR4HOOK SetErrorHook(ERROR4HOOK hook);
    INDEX4HOOK SetIndexHook(INDEX4HOOK hook, void* arg);
    PACK4HOOK SetPackHook(PACK4HOOK hook, void* arg);

    // Room the class keeps beside the engine's context for the suite's
    // programs: cleared on construction (the words) and by init (the area).
    long ownWords[6];
    char ownArea[64];
};

// ---- handle classes ----

class QVDB_API Data4 {
public:
    Data4() : data(0) {}
    Data4(DATA4* d) : data(d) {}
    Data4(Code4& cb, char* name);
    Data4(const Data4& other);
    Data4& operator=(const Data4& other);

    char* alias();
    void alias(char* name);
    int append();
    int appendBlank();
    int appendData();
    int appendStart(int useMemoEntries = 0);
    void blank();
    int bof();
    int bottom();
    int changed(int flag = -1);
    int check();
    int close();
    DATA4* create(Code4& cb, char* name, FIELD4INFO* fields, TAG4INFO* tags = 0);
    void deleteRec();
    int deleted();
    int eof();
    int fieldNumber(char* name);
    char* fileName();
    int flush();
    int flushData();
    int freeBlocks();
    int go(long rec);
    int goData(long rec);
    int goEof();
    INDEX4* index(char* name);
    int isValid();
    int lock(long rec);
    int lockAll();
    int lockAppend();
    int lockFile();
    int lockGroup(long* recs, int count);
    int lockIndex();
    int lockTest(long rec);
    int lockTestAppend();
    int lockTestFile();
    int lockTestIndex();
    int memoCompress();
    int numFields();
    DATA4* open(Code4& cb, char* name);
    int optimize(int flag);
    int optimizeWrite(int flag);
    int pack();
    int packData();
    double position();
    int position(double pos);
    int read(long rec, char* buffer);
    int readOld(long rec);
    void recall();
    long recCount();
    long recNo();
    long recPosition(long rec);
    unsigned recWidth();
    char* record();
    int refresh();
    int refreshRecord();
    int reindex();
    int seek(char* key);
    int seek(char* key, int len);
    int seek(double key);
    void select(Tag4 tag);
    void select();
    int skip(long n = 1);
    int top();
    int unlock();
    int validateMemo();
    int write(long rec = -1);
    int writeData(long rec = -1);
    int writeKeys();
    int zap(long first = 1, long last = 1000000000L);
    int zapData(long first = 1, long last = 1000000000L);

    DATA4* data;
};

class QVDB_API Index4 {
public:
    Index4() : index(0) {}
    Index4(INDEX4* i) : index(i) {}
    Index4(Data4& d, char* name);
    Index4(const Index4& other);
    Index4& operator=(const Index4& other);

    int addTag(TAG4INFO* tags);
    int close();
    INDEX4* create(Data4& d, char* name, TAG4INFO* tags);
    INDEX4* create(Data4& d, TAG4INFO* tags);
    Data4 data();
    char* fileName();
    void init(Data4 d, char* name);
    int isProduction();
    int isValid();
    int lock();
    INDEX4* open(Data4& d, char* name);
    int reindex();
    int unlock();

    INDEX4* index;
};

class QVDB_API Expr4 {
public:
    Expr4() : expr(0) {}
    Expr4(EXPR4* e) : expr(e) {}
    Expr4(Data4 d, char* source);
    Expr4(const Expr4& other);
    Expr4& operator=(const Expr4& other);

    void free();
    int isValid();
    char* key();
    int keyLen();
    int len();
    operator double();
    EXPR4* parse(Data4 d, char* source);
    const char* source();
    // Exported under the name "true" as well (a keyword here).
    int isTrue();
    int type();
    char* vary();

    EXPR4* expr;
};

class QVDB_API Tag4 {
public:
    Tag4() : tag(0) {}
    Tag4(TAG4* t) : tag(t) {}
    Tag4(Data4 d, char* name);
    Tag4(const Tag4& other);
    Tag4& operator=(const Tag4& other);

    int add(unsigned char* key, long rec);
    int addCalc(long rec);
    char* alias();
    int bottom();
    int descending();
    int down();
    int eof();
    Expr4 expr();
    Expr4 filter();
    int freeAll();
    int go(char* key, long rec);
    Index4 index();
    void init(Data4 d, char* name);
    void initDefault(Data4 d);
    void initFirst(Data4 d);
    void initLast(Data4 d);
    void initNext();
    void initPrev();
    void initSelected(Data4 d);
    int isValid();
    char* key();
    double position();
    int position(double pos);
    long recNo();
    int remove(char* key, long rec);
    int removeCalc(long rec);
    int seek(char* key, int len);
    long skip(long n = 1);
    int top();
    int uniqueError();
    void uniqueError(int code);
    int up();
    void upToRoot();

    TAG4* tag;
};

class QVDB_API Field4 : public Str4 {
public:
    Field4() : field(0) {}
    Field4(FIELD4* f) : field(f) {}
    Field4(Data4 d, char* name);
    Field4(Data4 d, int j);
    Field4(const Field4& other);
    Field4& operator=(const Field4& other);

    int decimals();
    unsigned len();
    char* ptr();
    void changed();

    int assignField(Field4& from);
    Data4 data();
    void init(Data4 d, char* name);
    void init(Data4 d, int j);
    int isValid();
    const char* name();
    int number();
    int type();

    FIELD4* field;
};

class Field4memo : public Str4 {
public:
    QVDB_API Field4memo();
    QVDB_API Field4memo(Data4& d, char* name);
    QVDB_API Field4memo(const Field4memo& other);
    QVDB_API Field4memo& operator=(const Field4memo& other);

    QVDB_API int decimals();
    CBASE32_API void changed();
    QVDB_API unsigned len();
    QVDB_API char* ptr();
    QVDB_API char* str();
    QVDB_API int setLen(unsigned newLen);
    QVDB_API void free();

    FIELD4* field;
};

// The field and tag lists d4create and i4create take, ended by an entry
// with a NULL name, built one entry at a time.
class Field4info {
public:
    CBASE32_API Field4info(Code4& cb);
    CBASE32_API ~Field4info();
    CBASE32_API int add(const char* name, char type, int len = 0, int dec = 0);
    CBASE32_API int add(Field4& field);
    CBASE32_API void free();
    QVDB_API FIELD4INFO* fields();
    QVDB_API int numFields();
    QVDB_API static void operator delete(void* p);
    QVDB_API static void operator delete[](void* p);

    CODE4* code4;
    FIELD4INFO* list;
    int size, capacity;
};

class Tag4info {
public:
    CBASE32_API Tag4info(Code4& cb);
    CBASE32_API ~Tag4info();
    CBASE32_API int add(const char* name, const char* expr, const char* filter = 0, int unique = 0,
                        unsigned descending = 0);
    CBASE32_API void free();
    QVDB_API TAG4INFO* tags();
    QVDB_API int numTags();
    QVDB_API static void operator delete(void* p);
    QVDB_API static void operator delete[](void* p);

    CODE4* code4;
    TAG4INFO* list;
    int size, capacity;
};

class QVDB_API Date4 : public Str4 {
public:
    Date4();
    Date4(long julian);
    Date4(const char* text);
    Date4(const char* text, const char* picture);
    Date4(const Date4& other);
    Date4& operator=(const Date4& other);

    operator long();
    unsigned len();
    char* ptr();

    void assign(long julian);
    void assign(const char* text);
    void assign(const char* text, const char* picture);
    void assign(Str4& from);
    const char* cdow();
    const char* cmonth();
    int day();
    int dow();
    void format(char* result, const char* picture);
    int isLeap();
    int month();
    void today();
    int year();
    operator double();
    long operator+(long days);
    long operator-(long days);
    void operator+=(long days);
    void operator-=(long days);
    void operator++();
    void operator++(int);
    void operator--();
    void operator--(int);

    char dt[9];
};

class QVDB_API File4 : public FILE4 {
public:
    File4();
    File4(Code4& cb, char* name, int doAlloc = 0);

    int close();
    int create(Code4& cb, char* name, int doAlloc = 0);
    int createTemp(Code4& cb, char* name = 0, int autoRemove = 1);
    char* fileName();
    int flush();
    int isValid();
    long len();
    int lock(long pos, long bytes);
    int open(Code4& cb, char* name, int doAlloc = 0);
    int optimize(int optFlag, int fileType);
    int optimizeWrite(int optFlag);
    unsigned read(long pos, void* buf, unsigned len);
    unsigned read(long pos, Str4& s);
    int readAll(long pos, void* buf, unsigned len);
    int readAll(long pos, Str4& s);
    int refresh();
    int replace(File4& other);
    int setLen(long len);
    int unlock(long pos, long bytes);
    int write(long pos, void* buf, unsigned len);
    int write(long pos, char* text);
    int write(long pos, Str4& s);
};

class QVDB_API File4seqRead : public FILE4SEQ_READ {
public:
    File4seqRead();
    File4seqRead(File4& f, long start, void* buffer, unsigned size);
    int init(File4& f, long start, void* buffer, unsigned size);
    unsigned read(void* buf, unsigned len);
    unsigned read(Str4& s);
    int readAll(void* buf, unsigned len);
    int readAll(Str4& s);
};

class QVDB_API File4seqWrite : public FILE4SEQ_WRITE {
public:
    File4seqWrite();
    File4seqWrite(File4& f, long start, void* buffer, unsigned size);
    int init(File4& f, long start, void* buffer, unsigned size);
    int flush();
    int repeat(long count, char c);
    int write(void* data, unsigned len);
    int write(char* text);
    int write(Str4& s);
    File4seqWrite& operator<<(char* text);
    File4seqWrite& operator<<(Str4& s);
};

class QVDB_API List4 : public LIST4 {
public:
    List4();
    void add(void* item);
    void addAfter(void* anchor, void* item);
    void addBefore(void* anchor, void* item);
    void* first();
    void* last();
    void* next(void* item = 0);
    int numNodes();
    void* pop();
    void* prev(void* item = 0);
    void remove(void* item);
    void reset();
};

class QVDB_API Sort4 : public SORT4 {
public:
    Sort4();
    Sort4(Code4& cb, int sortLen, int infoLen);
    int free();
    int get();
    int getInit();
    int init(Code4& cb, int sortLen, int infoLen);
    int put(long rec, void* sortData, void* info);

    // The item get() last returned: key, other data, record number.
    void* result;
    void* resultOther;
    long resultRec;
};

class QVDB_API Mem4 {
public:
    Mem4() : mem(0) {}
    Mem4(MEM4* m) : mem(m) {}
    Mem4(Code4& cb, int start, int unitSize, int expand, int isTemp);
    Mem4(const Mem4& other);
    Mem4& operator=(const Mem4& other);

    void* alloc();
    MEM4* create(Code4& cb, int start, int unitSize, int expand, int isTemp);
    int free(void* unit);
    int isValid();
    void release();

    MEM4* mem;
};

class QVDB_API Relate4 {
public:
    Relate4() : relate(0) {}
    Relate4(RELATE4* r) : relate(r) {}
    Relate4(Relate4 master, Data4 slave, char* masterExpr, Tag4 tag);
    Relate4(const Relate4& other);
    Relate4& operator=(const Relate4& other);

    Data4 data();
    Tag4 dataTag();
    int doOne();
    int errorAction(int action);
    void init(Relate4 master, Data4 slave, char* masterExpr, Tag4 tag);
    int isValid();
    Relate4 master();
    Expr4 masterExpr();
    int matchLen(int len);
    int type(int relationType);

    RELATE4* relate;
};

class QVDB_API Relate4set : public Relate4 {
public:
    Relate4set() {}
    Relate4set(Data4 master);
    int bottom();
    int changed();
    int doAll();
    int free(int closeFiles = 0);
    void init(Data4 master);
    int lock();
    int querySet(char* query);
    int skip(long n = 1);
    int skipEnable(int enable = 1);
    int sortSet(char* tagName);
    int top();
    int unlock();
};

#endif
