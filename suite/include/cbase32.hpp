// The database classes: thin C++ handles over CBASE32's structures, in the
// suite's C++ ABI (Microsoft's). The wizard library QVWIZ32.DLL exports
// their members; the string bodies marked CBASE32_API or STR4_CB4 (and the Field4info and
// Tag4info constructors, destructors and lists) come from CBASE32.DLL
// itself. Self-contained: no system or runtime header.
//
// Handle classes hold one pointer to the structure they stand for; copying a
// handle copies the pointer and a handle never frees or clears its
// structure. Structure classes (Code4, File4, File4seqRead, File4seqWrite,
// List4, Sort4) are the structure itself. Members named in camel case call
// the C function of their class's prefix with the name in lower case and an
// underscore before each former capital (Data4::appendBlank ->
// d4append_blank) and return its result unchanged.
#ifndef CBASE32_HPP
#define CBASE32_HPP

#include "cbase32.h"

#ifdef QVWIZ32_DB_BUILD
#define QVDB_API __declspec(dllexport)
#else
#define QVDB_API __declspec(dllimport)
#endif

// Where a body lives when a class's members come from both libraries.
// CBASE32 exports all of Str4 it defines, its table of virtuals included
// (Str4's constructor sets it). The wizard library exports the whole of
// Field4info and Tag4info it compiles: their copies, which bring their table
// of virtuals and scalar deleting destructors with them.
#if defined(CBASE32_BUILD)
#define STR4_CLASS __declspec(dllexport)
#define STR4_CB4
#define STR4_OWN
#define INFO4_CLASS
#define INFO4_CB4 __declspec(dllexport)
#define INFO4_OWN
#elif defined(QVWIZ32_DB_BUILD)
#define STR4_CLASS
#define STR4_CB4 __declspec(dllimport)
#define STR4_OWN __declspec(dllexport)
#define INFO4_CLASS __declspec(dllexport)
#define INFO4_CB4
#define INFO4_OWN
#else
#define STR4_CLASS
#define STR4_CB4 __declspec(dllimport)
#define STR4_OWN __declspec(dllimport)
#define INFO4_CLASS
#define INFO4_CB4 __declspec(dllimport)
#define INFO4_OWN __declspec(dllimport)
#endif

class Code4;
class Data4;
class Index4;
class Tag4;
class Expr4;

// The string interface. The slot order of the virtuals is part of the
// interface: programs built against it call through the table (no
// destructor slot: none is declared).
class STR4_CLASS Str4 {
public:
    STR4_CB4 Str4();
    STR4_CB4 virtual operator long();
    STR4_OWN virtual void changed();
    STR4_OWN virtual int decimals();
    STR4_CB4 virtual unsigned len();
    STR4_OWN virtual unsigned maximum();
    virtual char* ptr() = 0;
    STR4_CB4 virtual char* str();
    STR4_OWN virtual int setLen(unsigned newLen);
    STR4_OWN virtual int setMax(unsigned newMax);

    STR4_CB4 int assign(const char* text);
    STR4_CB4 int assign(Str4& from);
    STR4_CB4 int operator==(Str4& other);
    STR4_CB4 int operator>(Str4& other);
    STR4_CB4 int operator<(Str4& other);
    STR4_OWN int operator!=(Str4& other);
    STR4_OWN int operator<=(Str4& other);
    STR4_OWN int operator>=(Str4& other);
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
    QVDB_API Str4ten(char* text);
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
// Their members are exported one by one: copying one is copying its
// structure, whose assignment operator the wizard library exports.

class Code4 : public CODE4 {
public:
    QVDB_API Code4();
    QVDB_API Code4(int init);
    QVDB_API int init();
    QVDB_API int initUndo();
    QVDB_API int closeAll();
    QVDB_API DATA4* data(char* alias);
    QVDB_API int flushFiles();
    QVDB_API int optStart();
    QVDB_API int optSuspend();
    QVDB_API int calcCreate(Expr4 expr, char* name);
    QVDB_API void calcReset();
    QVDB_API int error(int code, char* s1 = 0, char* s2 = 0, char* s3 = 0);
    QVDB_API void exit();
    QVDB_API void exitTest();
    QVDB_API int unlock();
    QVDB_API int QvcoError();
    QVDB_API ERROR4HOOK SetErrorHook(ERROR4HOOK hook);
    QVDB_API INDEX4HOOK SetIndexHook(INDEX4HOOK hook, void* arg);
    QVDB_API PACK4HOOK SetPackHook(PACK4HOOK hook, void* arg);

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
// with a NULL name, built one entry at a time. Their destructors are
// virtual: delete and delete[] of a list go through its deleting
// destructors, which the wizard library exports.
class INFO4_CLASS Field4info {
public:
    INFO4_CB4 Field4info(Code4& cb);
    INFO4_CB4 virtual ~Field4info();
    INFO4_CB4 int add(const char* name, char type, int len = 0, int dec = 0);
    INFO4_CB4 int add(Field4& field);
    INFO4_CB4 void free();
    INFO4_OWN FIELD4INFO* fields();
    INFO4_OWN int numFields();

    CODE4* code4;
    FIELD4INFO* list;
    int size, capacity;
};

class INFO4_CLASS Tag4info {
public:
    INFO4_CB4 Tag4info(Code4& cb);
    INFO4_CB4 virtual ~Tag4info();
    INFO4_CB4 int add(const char* name, const char* expr, const char* filter = 0, int unique = 0,
                      unsigned descending = 0);
    INFO4_CB4 void free();
    INFO4_OWN TAG4INFO* tags();
    INFO4_OWN int numTags();

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
    void assign(char* text);
    void assign(char* text, char* picture);
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

class File4 : public FILE4 {
public:
    QVDB_API File4();
    QVDB_API File4(Code4& cb, char* name, int doAlloc = 0);

    QVDB_API int close();
    QVDB_API int create(Code4& cb, char* name, int doAlloc = 0);
    QVDB_API int createTemp(Code4& cb, char* name = 0, int autoRemove = 1);
    QVDB_API char* fileName();
    QVDB_API int flush();
    QVDB_API int isValid();
    QVDB_API long len();
    QVDB_API int lock(long pos, long bytes);
    QVDB_API int open(Code4& cb, char* name, int doAlloc = 0);
    QVDB_API int optimize(int optFlag, int fileType);
    QVDB_API int optimizeWrite(int optFlag);
    QVDB_API unsigned read(long pos, void* buf, unsigned len);
    QVDB_API unsigned read(long pos, Str4& s);
    QVDB_API int readAll(long pos, void* buf, unsigned len);
    QVDB_API int readAll(long pos, Str4& s);
    QVDB_API int refresh();
    QVDB_API int replace(File4& other);
    QVDB_API int setLen(long len);
    QVDB_API int unlock(long pos, long bytes);
    QVDB_API int write(long pos, void* buf, unsigned len);
    QVDB_API int write(long pos, char* text);
    QVDB_API int write(long pos, Str4& s);
};

class File4seqRead : public FILE4SEQ_READ {
public:
    QVDB_API File4seqRead();
    QVDB_API File4seqRead(File4& f, long start, void* buffer, unsigned size);
    QVDB_API int init(File4& f, long start, void* buffer, unsigned size);
    QVDB_API unsigned read(void* buf, unsigned len);
    QVDB_API unsigned read(Str4& s);
    QVDB_API int readAll(void* buf, unsigned len);
    QVDB_API int readAll(Str4& s);
};

class File4seqWrite : public FILE4SEQ_WRITE {
public:
    QVDB_API File4seqWrite();
    QVDB_API File4seqWrite(File4& f, long start, void* buffer, unsigned size);
    QVDB_API int init(File4& f, long start, void* buffer, unsigned size);
    QVDB_API int flush();
    QVDB_API int repeat(long count, char c);
    QVDB_API int write(void* data, unsigned len);
    QVDB_API int write(char* text);
    QVDB_API int write(Str4& s);
    QVDB_API File4seqWrite& operator<<(char* text);
    QVDB_API File4seqWrite& operator<<(Str4& s);
};

class List4 : public LIST4 {
public:
    QVDB_API List4();
    QVDB_API void add(void* item);
    QVDB_API void addAfter(void* anchor, void* item);
    QVDB_API void addBefore(void* anchor, void* item);
    QVDB_API void* first();
    QVDB_API void* last();
    QVDB_API void* next(void* item = 0);
    QVDB_API int numNodes();
    QVDB_API void* pop();
    QVDB_API void* prev(void* item = 0);
    QVDB_API void remove(void* item);
    QVDB_API void reset();
};

class Sort4 : public SORT4 {
public:
    QVDB_API Sort4();
    QVDB_API Sort4(Code4& cb, int sortLen, int infoLen);
    QVDB_API int free();
    QVDB_API int get();
    QVDB_API int getInit();
    QVDB_API int init(Code4& cb, int sortLen, int infoLen);
    QVDB_API int put(long rec, void* sortData, void* info);

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
